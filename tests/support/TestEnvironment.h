#pragma once

// Points the user's configuration (XDG_CONFIG_HOME) at a fresh temporary folder for this process, so
// tests never read or write the real preferences. Call before the application object exists.
void isolateUserConfiguration();
