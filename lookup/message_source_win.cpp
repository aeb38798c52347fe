// Placeholder until the message source lands.
