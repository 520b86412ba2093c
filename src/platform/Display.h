#pragma once

namespace platform {
// Whether the program has a display to open its window on (X11, Wayland, or a platform chosen
// with QT_QPA_PLATFORM that needs none, such as offscreen).
// An X server is asked with a connection of its own, which stays open until closeDisplayProbe().
bool displayAvailable();
// displayAvailable(), saying on standard error what is missing when there is none.
bool displayOrSay();
// Whether Qt is to open its windows on X11 or Wayland (not on a platform of its own, such as
// offscreen): its accessibility bridge then connects to the session bus while the window is built.
bool windowSystemPlatform();
// Closes the connection displayAvailable() opened; call once the application has its own.
void closeDisplayProbe();
// Loads the X library's tables for the program's locale (set it first), which naming the first
// window on X11 would load: some 0.4 ms, here on any thread (the X library, from version 1.8 on,
// is ready for threads from the start and locks its own tables).
void loadX11LocaleTables();
} // namespace platform
