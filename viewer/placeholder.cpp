namespace {} // replaced as the library fills
