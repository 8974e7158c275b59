Faites glisser les images vers le haut ou vers le bas dans la liste pour changer leur ordre.
