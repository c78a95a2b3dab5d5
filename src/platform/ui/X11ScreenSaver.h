#pragma once

// The X server's own screen saver and display power management, which nothing else holds off in an X
// session without a desktop service (MIT-SCREEN-SAVER extension 1.1, on the application's own X
// connection). The server counts suspensions per client and ends them all when the connection closes.
// Main thread only.
namespace X11ScreenSaver {

// Suspends (true) or resumes (false) the screen saver; every suspension needs its own resume. False off
// X11 or where the server lacks the extension.
bool suspend(bool on);

} // namespace X11ScreenSaver
