#include "app/glib_log_routing.h"

#include <glib.h>

#include <string>
#include <string_view>

namespace brevinor {
namespace {

void (*programLog)(const char*) = nullptr;

const char* levelName(GLogLevelFlags level) {
  switch (level & G_LOG_LEVEL_MASK) {
    case G_LOG_LEVEL_ERROR:
      return "ERROR";
    case G_LOG_LEVEL_CRITICAL:
      return "CRITICAL";
    case G_LOG_LEVEL_WARNING:
      return "WARNING";
    case G_LOG_LEVEL_MESSAGE:
      return "Message";
    case G_LOG_LEVEL_INFO:
      return "INFO";
    default:
      return "DEBUG";
  }
}

// The same words GLib would print ("Gtk-WARNING: ..."), without its own time stamp: the log call
// adds the program's prefix.
void logThroughProgram(GLogLevelFlags level, const std::string& domain, std::string_view message) {
  if (!programLog ||
      g_log_writer_default_would_drop(level, domain.empty() ? nullptr : domain.c_str())) {
    return;
  }
  std::string line;
  if (!domain.empty()) {
    line = domain;
    line += '-';
  }
  line += levelName(level);
  line += ": ";
  line += message;
  programLog(line.c_str());
}

GLogWriterOutput writeStructured(GLogLevelFlags level, const GLogField* fields, gsize count,
                                 gpointer) {
  std::string domain;
  std::string_view message;
  for (gsize i = 0; i < count; ++i) {
    const std::string_view key = fields[i].key;
    const auto* value = static_cast<const char*>(fields[i].value);
    if (!value) continue;
    const std::string_view text =
        fields[i].length < 0 ? std::string_view(value) : std::string_view(value, fields[i].length);
    if (key == "GLIB_DOMAIN") domain = text;
    if (key == "MESSAGE") message = text;
  }
  logThroughProgram(level, domain, message);
  return G_LOG_WRITER_HANDLED;
}

void handleLegacy(const gchar* domain, GLogLevelFlags level, const gchar* message, gpointer) {
  logThroughProgram(level, domain ? domain : "", message ? message : "");
}

}  // namespace

void routeGLibLogTo(void (*log)(const char* message)) {
  if (programLog) return;  // GLib takes a writer once per process
  programLog = log;
  g_log_set_writer_func(writeStructured, nullptr, nullptr);
  g_log_set_default_handler(handleLegacy, nullptr);
}

}  // namespace brevinor
