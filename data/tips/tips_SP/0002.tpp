Arrastre las imágenes hacia arriba o hacia abajo en la lista para cambiar su orden.
