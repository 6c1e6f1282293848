// placeholder: filled in by its unit
