On the music page you add music to your show. The tracks play in the order of the list.
