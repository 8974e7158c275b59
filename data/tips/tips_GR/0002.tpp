Ziehen Sie Bilder in der Liste Ihrer Diashow nach oben oder unten, um die Reihenfolge zu ändern.
