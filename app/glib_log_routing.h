#pragma once

namespace brevinor {

/// Sends every message GLib, GDK and GTK would print (their structured writer and the legacy
/// handler alike) through the program's log call, one line each, so that the log holds one shape
/// of line only. Messages GLib would drop by default (debug and info) stay dropped. Call once,
/// before GTK is initialised.
void routeGLibLogTo(void (*log)(const char* message));

}  // namespace brevinor
