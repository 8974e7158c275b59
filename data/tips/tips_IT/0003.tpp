Fate clic su un'immagine della presentazione e scrivete la didascalia qui sotto.
