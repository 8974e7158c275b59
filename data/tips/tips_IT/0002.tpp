Trascinate le immagini in su o in giù nell'elenco per cambiarne l'ordine.
