# `cpack -G DEB` in a build folder: a Debian package of what Install.cmake
# installs, under /usr, named avrbootloaderkorvel_<version>_<architecture>.deb.
# dpkg-shlibdeps (package dpkg-dev) works out the Qt 6 and C++ runtime
# packages the program needs from the libraries it links, so the dependencies
# follow the build instead of a list kept by hand.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME avrbootloaderkorvel)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "${KORVEL_MAKER}")
string(REGEX REPLACE "^www\\." "" korvel_mail_domain "${KORVEL_WEB}")
set(KORVEL_PACKAGE_MAINTAINER "${KORVEL_MAKER} <support@${korvel_mail_domain}>"
  CACHE STRING "Maintainer field of the Debian package: name <address>")
set(CPACK_PACKAGE_CONTACT "${KORVEL_PACKAGE_MAINTAINER}")

# The package's changelog, in Debian's format. Its newest entry must be this
# version, so that a new version cannot ship with the old entry on top. The
# package is its own upstream (its version has no Debian revision), so the
# file is changelog.gz, compressed with gzip -9n like the manual page.
set(korvel_changelog_source ${CMAKE_CURRENT_LIST_DIR}/changelog.in)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${korvel_changelog_source})
file(STRINGS ${korvel_changelog_source} korvel_changelog_top LIMIT_COUNT 1)
if(NOT korvel_changelog_top MATCHES "^avrbootloaderkorvel \\(${PROJECT_VERSION}\\) ")
  message(FATAL_ERROR "${korvel_changelog_source}: the newest entry is '${korvel_changelog_top}', "
    "not version ${PROJECT_VERSION}; add an entry for ${PROJECT_VERSION} on top")
endif()
if(NOT WIN32)
  find_program(KORVEL_GZIP gzip REQUIRED)
  configure_file(${korvel_changelog_source} ${PROJECT_BINARY_DIR}/changelog @ONLY)
  execute_process(COMMAND ${KORVEL_GZIP} -9nc INPUT_FILE ${PROJECT_BINARY_DIR}/changelog
    OUTPUT_FILE ${PROJECT_BINARY_DIR}/changelog.gz COMMAND_ERROR_IS_FATAL ANY)
  install(FILES ${PROJECT_BINARY_DIR}/changelog.gz DESTINATION ${KORVEL_DOC_DIR})
endif()

set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
# Packing installs the default component by name, so that its list of files
# goes to install_manifest_Unspecified.txt and the install_manifest.txt of an
# earlier `cmake --install` stays as it was.
set(CPACK_INSTALL_CMAKE_PROJECTS "${PROJECT_BINARY_DIR};${PROJECT_NAME};${CMAKE_INSTALL_DEFAULT_COMPONENT_NAME};/")
set(CPACK_STRIP_FILES ON)
# The package and cpack's working files stay in the build folder, wherever
# cpack is started from.
set(CPACK_PACKAGE_DIRECTORY ${PROJECT_BINARY_DIR})
# Folders as root would make them, whatever the umask of whoever packs.
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
  OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://${KORVEL_WEB}")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
  "PC side of a serial bootloader for AVR target modules
Sends Intel HEX files to the FLASH and EEPROM memories of an AVR target
over the serial bootloader it runs (115200 baud, XON/XOFF), line by line,
with the target's answer to each line. A window for choosing the port and
the files, or one unattended download from the command line for scripts
and production lines, with a log and a JSON record of each board. A
simulated bootloader, korvel-targetsim, lets a script be tried without a
board.")

include(CPack)
