Nella pagina Musica aggiungete brani alla presentazione. Vengono suonati nell'ordine dell'elenco.
