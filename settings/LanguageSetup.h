#pragma once

// Start-up of the message boxes and of the program-wide settings store, run
// once by main before the main window is built: creates the message-box
// singleton and, unless the store is already open, opens it on
// GetConfigDir() + "settings.ini", creating the folder that holds it.
//
// Not here yet: the table of languages (read from the translation files
// before the store opens) and choosing and installing the language (from the
// store, once it is open). Until then the program runs in its source language.
void InitLanguage();
