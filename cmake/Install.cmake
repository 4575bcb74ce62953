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
# The page's footer carries the project's version.
configure_file(docs/brevinor.1.scd ${CMAKE_BINARY_DIR}/brevinor.1.scd @ONLY)
add_custom_command(
  OUTPUT ${BREVINOR_MAN_PAGE}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/share/man/man1
  # scdoc reads standard input and writes standard output only.
  COMMAND sh -c "\"$1\" <\"$2\" >\"$3\"" sh ${SCDOC} ${CMAKE_BINARY_DIR}/brevinor.1.scd
          ${BREVINOR_MAN_PAGE}
  DEPENDS ${CMAKE_BINARY_DIR}/brevinor.1.scd
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
# The version is the project's (CMakeLists.txt); the maintainer is set here only, and the control
# file, changelog and copyright file take both from these.
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
# Each Debian release gets a build of its own, versioned the way Debian versions a rebuild for a
# release (0.1.0-1~deb12u1, 0.1.0-1~deb13u1), so that one apt repository can hold them side by side
# and each release's apt picks its own. The release is the build machine's.
file(STRINGS /etc/os-release os_release REGEX "^(ID|VERSION_ID|VERSION_CODENAME)=")
foreach(field ID VERSION_ID VERSION_CODENAME)
  string(REGEX REPLACE "(^|.*;)${field}=\"?([^\";]*).*" "\\2" os_${field} "${os_release}")
endforeach()
if(os_ID STREQUAL debian AND os_VERSION_ID MATCHES "^[0-9]+$")
  set(revision "1~deb${os_VERSION_ID}u1")
else()
  set(revision 1)
endif()
set(BREVINOR_PACKAGE_REVISION ${revision} CACHE STRING "The Debian revision of the package")
set(CPACK_DEBIAN_PACKAGE_RELEASE ${BREVINOR_PACKAGE_REVISION})
set(BREVINOR_PACKAGE_VERSION ${PROJECT_VERSION}-${BREVINOR_PACKAGE_REVISION})
set(BREVINOR_PACKAGE_SUITE ${os_VERSION_CODENAME})
if(NOT BREVINOR_PACKAGE_SUITE OR NOT os_ID STREQUAL debian)
  set(BREVINOR_PACKAGE_SUITE unstable)
endif()
set(CPACK_PACKAGE_VENDOR "Brevinor developers")
set(CPACK_PACKAGE_CONTACT "Brevinor developers <brevinor-developers@lists.brevinor.org>")

# The package's copyright file and changelog, as Debian places them (a `cmake --install` tree
# gets them too); a package with a Debian revision keeps its changelog as changelog.Debian.
foreach(doc copyright changelog.Debian)
  configure_file(cmake/debian/${doc}.in ${CMAKE_BINARY_DIR}/share/doc/brevinor/${doc} @ONLY)
  install(FILES ${CMAKE_BINARY_DIR}/share/doc/brevinor/${doc} DESTINATION share/doc/brevinor)
endforeach()
install(FILES cmake/debian/lintian-overrides DESTINATION share/lintian/overrides RENAME brevinor)

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

# Debian ships manual pages and changelogs gzipped (gzip -9n, no name or time stamp, so the
# package is reproducible), and binaries without the compiler's .comment and .note sections;
# change the staged copies only, so `cmake --install` leaves plain files.
set(BREVINOR_CPACK_STAGE ${CMAKE_BINARY_DIR}/cpack-stage.cmake)
file(WRITE ${BREVINOR_CPACK_STAGE} [=[
file(GLOB_RECURSE compressed "${CPACK_TEMPORARY_DIRECTORY}/*/share/man/man*/*.[0-9]"
     "${CPACK_TEMPORARY_DIRECTORY}/*/share/doc/brevinor/changelog.Debian")
file(GLOB_RECURSE binaries "${CPACK_TEMPORARY_DIRECTORY}/*/bin/brevinor"
     "${CPACK_TEMPORARY_DIRECTORY}/*/lib/brevinor/*.so")
foreach(file IN LISTS compressed)
  execute_process(COMMAND gzip -9nf "${file}" COMMAND_ERROR_IS_FATAL ANY)
endforeach()
foreach(file IN LISTS binaries)
  execute_process(COMMAND objcopy --remove-section=.comment --remove-section=.note "${file}"
                  COMMAND_ERROR_IS_FATAL ANY)
endforeach()
]=])
set(CPACK_PRE_BUILD_SCRIPTS ${BREVINOR_CPACK_STAGE})

# CPack adds maintainer scripts that run ldconfig whenever a shared object lies anywhere below
# /usr/lib, but the window module's folder is not one the dynamic linker searches, and the
# package installs no library for others: rebuild the package without those scripts.
set(BREVINOR_CPACK_NO_LDCONFIG ${CMAKE_BINARY_DIR}/cpack-no-ldconfig.cmake)
file(WRITE ${BREVINOR_CPACK_NO_LDCONFIG} [=[
foreach(deb IN LISTS CPACK_PACKAGE_FILES)
  set(tree "${deb}.tree")
  file(REMOVE_RECURSE "${tree}")
  execute_process(COMMAND dpkg-deb --raw-extract "${deb}" "${tree}" COMMAND_ERROR_IS_FATAL ANY)
  file(REMOVE "${tree}/DEBIAN/postinst" "${tree}/DEBIAN/postrm")
  execute_process(COMMAND dpkg-deb --root-owner-group --build "${tree}" "${deb}"
                  OUTPUT_QUIET COMMAND_ERROR_IS_FATAL ANY)
  file(REMOVE_RECURSE "${tree}")
endforeach()
]=])
set(CPACK_POST_BUILD_SCRIPTS ${BREVINOR_CPACK_NO_LDCONFIG})

include(CPack)
