La presentazione di esempio mostra subito come appare una presentazione finita.
