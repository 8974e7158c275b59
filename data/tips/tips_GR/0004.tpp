Auf der Seite Musik fügen Sie Ihrer Diashow Musikstücke hinzu. Sie werden in der Reihenfolge der Liste gespielt.
