// Placeholder until the settings file code lands.
