#pragma once

#include <glib-object.h>

#include <memory>

namespace brevinor {

/// Owns one reference to a GObject and drops it with g_object_unref.
struct GObjectUnref {
  void operator()(gpointer object) const {
    if (object) g_object_unref(object);
  }
};
template <typename T>
using GObjectPtr = std::unique_ptr<T, GObjectUnref>;

/// Takes ownership of a reference the caller already holds (a "transfer full" result).
template <typename T>
GObjectPtr<T> adoptObject(T* object) {
  return GObjectPtr<T>(object);
}

/// Adds a reference of our own to an object someone else owns.
template <typename T>
GObjectPtr<T> retainObject(T* object) {
  return GObjectPtr<T>(object ? static_cast<T*>(g_object_ref(object)) : nullptr);
}

}  // namespace brevinor
