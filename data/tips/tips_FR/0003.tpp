Cliquez sur une image du diaporama et saisissez sa légende en dessous.
