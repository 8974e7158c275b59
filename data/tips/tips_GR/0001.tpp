Mit der Beispielshow sehen Sie sofort, wie eine fertige Diashow aussieht.
