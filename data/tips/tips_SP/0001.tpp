La presentación de ejemplo le muestra enseguida cómo es una presentación terminada.
