// Keeps the in-memory backend library non-empty until its first
// implementations arrive; remove it then.
