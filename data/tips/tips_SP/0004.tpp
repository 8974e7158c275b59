En la página Música añade piezas musicales. Se reproducen en el orden de la lista.
