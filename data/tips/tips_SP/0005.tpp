En los ajustes elige cuánto tiempo se muestra cada imagen y si la presentación se repite sin fin.
