# Install layout, manual page and the Debian package.
#
# The program finds its window module and resources relative to itself, so the installed tree
# keeps the build tree's shape under any prefix: bin/brevinor, lib/brevinor/brevinor-window.so,
# share/brevinor/. The module's folder is lib/brevinor on purpose, not GNUInstallDirs' multiarch
# libdir: the program looks for it exactly there.

install(TARGETS brevinor RUNTIME DESTINATION bin)
install(TARGETS brevinor-window LIBRARY DESTINATION lib/brevinor)
install(FILES resources/AppIcon.icns resources/Purr.oga DESTINATION share/brevinor)

# --- manual page: scdoc source, roff in the build tree's share/man like an install --------------

find_program(SCDOC scdoc REQUIRED)
set(BREVINOR_MAN_PAGE ${CMAKE_BINARY_DIR}/share/man/man1/brevinor.1)
add_custom_command(
  OUTPUT ${BREVINOR_MAN_PAGE}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/share/man/man1
  # scdoc reads standard input and writes standard output only.
  COMMAND sh -c "\"$1\" <\"$2\" >\"$3\"" sh ${SCDOC} ${CMAKE_SOURCE_DIR}/docs/brevinor.1.scd
          ${BREVINOR_MAN_PAGE}
  DEPENDS ${CMAKE_SOURCE_DIR}/docs/brevinor.1.scd
  COMMENT "Building the manual page brevinor(1)"
  VERBATIM)
add_custom_target(brevinor-man ALL DEPENDS ${BREVINOR_MAN_PAGE})
install(FILES ${BREVINOR_MAN_PAGE} DESTINATION share/man/man1)

# The page must render without a single warning from man/groff (bad macros, lines that cannot be
# broken at 80 columns, unknown escapes): anything on standard error fails the test.
find_program(MAN_PROGRAM man)
if(MAN_PROGRAM)
  add_test(NAME man_page
           COMMAND sh -c "err=$(\"$1\" --warnings -l \"$2\" 2>&1 >/dev/null); status=$?
                          [ -z \"$err\" ] && [ $status = 0 ] && exit 0
                          printf 'man exited with %s and printed:\\n%s\\n' \"$status\" \"$err\"; exit 1"
                  sh ${MAN_PROGRAM} ${BREVINOR_MAN_PAGE})
  set_tests_properties(man_page PROPERTIES LABELS unit ENVIRONMENT "MANWIDTH=80;LC_ALL=C.UTF-8")
endif()

# --- the Debian package ----------------------------------------------------------------------------

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME brevinor)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Brevinor developers")
set(CPACK_PACKAGE_CONTACT "Brevinor developers <brevinor@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "patch-failure notice for managed Linux desktops")
# Lines of the control file's extended description stay within 80 columns.
string(JOIN "\n" CPACK_PACKAGE_DESCRIPTION
  "When an endpoint-management agent cannot patch an application because it is in"
  "use, the agent starts brevinor with the application's name. If the agent's"
  "settings enable the notice and the launching process is the one the agent"
  "recorded, brevinor shows a small card in the top-right corner of the screen"
  "saying that the update failed and will be attempted again, plays a short sound"
  "and quits after 15 seconds. Runs that are turned away need no display.")
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)

set(CPACK_DEBIAN_PACKAGE_NAME brevinor)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${CPACK_PACKAGE_CONTACT}")
set(CPACK_DEBIAN_PACKAGE_SECTION x11)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# Depends come from what the program and its window module link (dpkg-shlibdeps); the module is
# loaded with dlopen but is a shared object in the package, so GTK, canberra and gdk-pixbuf (which
# carries the ICNS loader on Debian 12) are found too.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "procps")  # the launching-process check runs /bin/ps
# Loaded at run time without being linked: canberra's PulseAudio backend plays the sound, GTK reads
# the desktop's light or dark preference from these schemas through dconf.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS
    "libcanberra-pulse, gsettings-desktop-schemas, dconf-gsettings-backend")

# Debian ships manual pages gzipped (gzip -9n, no name or time stamp, so the package is
# reproducible); compress the staged copy only, so `cmake --install` leaves a plain page.
set(BREVINOR_CPACK_GZIP_MAN ${CMAKE_BINARY_DIR}/cpack-gzip-man.cmake)
file(WRITE ${BREVINOR_CPACK_GZIP_MAN} [=[
file(GLOB_RECURSE pages "${CPACK_TEMPORARY_DIRECTORY}/*/share/man/man*/*.[0-9]")
foreach(page IN LISTS pages)
  execute_process(COMMAND gzip -9nf "${page}" RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "gzip ${page}: ${status}")
  endif()
endforeach()
]=])
set(CPACK_PRE_BUILD_SCRIPTS ${BREVINOR_CPACK_GZIP_MAN})

include(CPack)
