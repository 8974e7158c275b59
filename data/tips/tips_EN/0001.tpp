The sample show lets you see at once what a finished slide show looks like.
