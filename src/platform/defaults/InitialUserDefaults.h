#pragma once

#include "platform/defaults/UserDefaults.h"

#include <QString>

// Registers the initial defaults from an XML property list (normally ":/InitialUserDefaults.plist") as
// the registration domain and as the values "Restore Defaults" returns to. A missing or damaged file
// never stops the start: what could be read is registered, and the answer says what went wrong
// (empty when all is well).
QString registerInitialUserDefaults(UserDefaults& defaults, const QString& path);
