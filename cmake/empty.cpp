// Intentionally empty: gives a subsystem without sources yet a library to link.
