Click a picture of the show and type a caption for it below.
