#pragma once

class QSettings;
class QString;

// The one program-wide settings store: an INI file at GetConfigDir() +
// "settings.ini". The language set-up opens it at start, the main window
// closes it in its destructor; everything in between reads and writes it
// through SettingsStore() on the GUI thread.
//
// The file holds enciphered credentials, so only its owner may read it. A file
// that cannot be parsed would lose its unreadable lines at the first write, so
// it is first copied beside itself as "<name>.bak" and a warning is logged.

// The open store, or nullptr before it is opened and after it is closed.
QSettings* SettingsStore();

// Opens the store on the INI file at path (creating the file's folder) and
// returns it; an already open store is returned unchanged.
QSettings* OpenSettingsStore(const QString& path);

// Writes pending changes and deletes the store.
void CloseSettingsStore();
