Haga clic en una imagen de la presentación y escriba debajo su pie de foto.
