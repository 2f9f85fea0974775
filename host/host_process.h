#pragma once
// Whether the host CAD program is running now.

// True when a running process's executable name, lower-cased, contains
// "zwcad.exe"; false otherwise and when no process list can be taken.
bool IsHostRunning();
