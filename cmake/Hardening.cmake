# The hardening a Debian package is expected to carry (what dpkg-buildflags
# gives a package built the Debian way): checked buffer functions, stack
# protectors, a position-independent executable, and relocations that are
# resolved at start and then made read-only. Not in the sanitizer or fuzzing
# builds, whose runtimes bring their own checks, nor in unoptimised builds,
# where glibc cannot check the buffer functions and warns about it.
if(KORVEL_SANITIZE OR KORVEL_FUZZ OR WIN32)
  return()
endif()

include(CheckPIESupported)
check_pie_supported(LANGUAGES CXX)
set(CMAKE_POSITION_INDEPENDENT_CODE ON)

add_compile_options(-fstack-protector-strong -Wformat -Werror=format-security
  $<$<NOT:$<CONFIG:Debug>>:-U_FORTIFY_SOURCE> $<$<NOT:$<CONFIG:Debug>>:-D_FORTIFY_SOURCE=2>)
add_link_options(LINKER:-z,relro LINKER:-z,now)
