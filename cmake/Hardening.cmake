# The hardening a Debian package build gets from dpkg-buildflags, applied to every build of this
# project, so that a plain `cmake` build, the tests and the package run the same code: PIE, stack
# protector, control-flow protection, stack-clash protection, checked libc calls and read-only
# relocations bound at start-up. BREVINOR_HARDENING=OFF leaves the compiler's defaults.

option(BREVINOR_HARDENING "Build with the hardening flags of a Debian package build" ON)
if(NOT BREVINOR_HARDENING)
  return()
endif()

include(CheckCXXCompilerFlag)
include(CheckPIESupported)
check_pie_supported()
set(CMAKE_POSITION_INDEPENDENT_CODE ON)

add_compile_options(-fstack-protector-strong -Wformat -Werror=format-security)
# Not every architecture and compiler has these (control-flow protection is x86's).
foreach(flag -fcf-protection -fstack-clash-protection)
  string(MAKE_C_IDENTIFIER "BREVINOR_HAS${flag}" supported)
  check_cxx_compiler_flag(${flag} ${supported})
  if(${supported})
    add_compile_options(${flag})
  endif()
endforeach()

# Checked libc calls need the optimizer (glibc warns without it, and -Werror stops the build).
# Left out when the flags already choose a level, and under the sanitizers, whose interceptors
# would no longer see the calls that the checked versions replace.
if(NOT "${CMAKE_CXX_FLAGS} ${CMAKE_C_FLAGS}" MATCHES "_FORTIFY_SOURCE|-fsanitize")
  add_compile_options($<$<NOT:$<CONFIG:Debug>>:-D_FORTIFY_SOURCE=2>)
endif()

add_link_options(LINKER:-z,relro LINKER:-z,now)
