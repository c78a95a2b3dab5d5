#pragma once

// Keeps every shared object loaded now (Qt's plugins, the OpenGL driver) from being unloaded at exit,
// so that LeakSanitizer can name the frames of what those libraries leave behind and the suppressions
// in tests/lsan.supp can match them.
void pinLoadedLibraries();
