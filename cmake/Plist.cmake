# libplist as pkg-config finds it. Its releases differ, for this tree, only in plist_from_memory's
# format out-parameter (new in 2.3), which platform/plist_parse.h hides behind this definition.
pkg_check_modules(PLIST REQUIRED IMPORTED_TARGET libplist-2.0)
if(PLIST_VERSION VERSION_GREATER_EQUAL 2.3)
  set_property(TARGET PkgConfig::PLIST APPEND PROPERTY INTERFACE_COMPILE_DEFINITIONS
                                                       BREVINOR_PLIST_FORMAT_OUT=1)
endif()
