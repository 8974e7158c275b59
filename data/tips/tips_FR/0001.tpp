Le diaporama d'exemple vous montre tout de suite à quoi ressemble un diaporama terminé.
