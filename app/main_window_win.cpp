// Stub: filled in by its module's work.
