Drag pictures up or down in your show's list to change their order.
