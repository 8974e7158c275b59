In the settings you choose how long each picture is shown and whether the show repeats endlessly.
