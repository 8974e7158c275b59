Klicken Sie ein Bild der Diashow an und schreiben Sie darunter eine Bildunterschrift.
