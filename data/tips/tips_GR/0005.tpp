In den Einstellungen legen Sie fest, wie lange jedes Bild gezeigt wird und ob die Diashow endlos läuft.
