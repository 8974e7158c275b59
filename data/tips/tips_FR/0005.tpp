Dans les réglages, vous choisissez la durée d'affichage de chaque image et la répétition du diaporama.
