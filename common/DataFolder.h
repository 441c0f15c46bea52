#pragma once

#include <QString>

// The user's configuration location, without a trailing separator. Callers
// append "settings.ini", "templates/" and "catalogs/" directly to it.
QString GetConfigDir();
