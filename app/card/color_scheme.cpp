#include "app/card/color_scheme.h"

#include <gtk/gtk.h>

#include <cstring>

namespace brevinor {
namespace {

constexpr const char* kInterfaceSchema = "org.gnome.desktop.interface";
constexpr const char* kColorSchemeKey = "color-scheme";

constexpr const char* kPreferDark = "gtk-application-prefer-dark-theme";

// What GTK's own settings said before the desktop's preference was applied: "default" (no
// preference) goes back to it.
gboolean themePreferredDark = FALSE;

void applyColorScheme(GSettings* settings) {
  gchar* scheme = g_settings_get_string(settings, kColorSchemeKey);
  gboolean dark = themePreferredDark;
  if (std::strcmp(scheme, "prefer-dark") == 0) dark = TRUE;
  if (std::strcmp(scheme, "prefer-light") == 0) dark = FALSE;
  g_free(scheme);
  // Setting the property reloads the whole theme (about 20 ms) even to the value it has.
  GtkSettings* gtk = gtk_settings_get_default();
  gboolean current = FALSE;
  g_object_get(gtk, kPreferDark, &current, nullptr);
  if (dark != current) g_object_set(gtk, kPreferDark, dark, nullptr);
}

}  // namespace

GObjectPtr<GSettings> desktopInterfaceSettings() {
  // Looked up first: GSettings aborts the process on a schema or key that is not installed, and
  // older desktops have the schema without this key.
  GSettingsSchemaSource* source = g_settings_schema_source_get_default();
  if (!source) return nullptr;
  GSettingsSchema* schema = g_settings_schema_source_lookup(source, kInterfaceSchema, TRUE);
  if (!schema) return nullptr;
  GObjectPtr<GSettings> settings;
  if (g_settings_schema_has_key(schema, kColorSchemeKey)) {
    settings = adoptObject(g_settings_new_full(schema, nullptr, nullptr));
  }
  g_settings_schema_unref(schema);
  return settings;
}

GObjectPtr<GSettings> followDesktopColorScheme(GObjectPtr<GSettings> settings) {
  if (!settings) return nullptr;
  g_object_get(gtk_settings_get_default(), kPreferDark, &themePreferredDark, nullptr);
  applyColorScheme(settings.get());
  g_signal_connect(
      settings.get(), "changed::color-scheme",
      G_CALLBACK(+[](GSettings* changed, gchar*, gpointer) { applyColorScheme(changed); }),
      nullptr);
  return settings;
}

}  // namespace brevinor
