La page Musique vous permet d'ajouter des morceaux. Ils sont joués dans l'ordre de la liste.
