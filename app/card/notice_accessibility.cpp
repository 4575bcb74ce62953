#include "app/card/notice_accessibility.h"

namespace brevinor {

void exposeAsNotification(GtkWidget* window) {
  atk_object_set_role(gtk_widget_get_accessible(window), ATK_ROLE_NOTIFICATION);
}

void describeNotification(GtkWidget* window, const std::string& text) {
  // Screen readers read a notification's name; some read only its description.
  AtkObject* accessible = gtk_widget_get_accessible(window);
  atk_object_set_name(accessible, text.c_str());
  atk_object_set_description(accessible, text.c_str());
}

}  // namespace brevinor
