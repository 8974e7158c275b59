Nelle impostazioni scegliete per quanto tempo mostrare ogni immagine e se ripetere la presentazione.
