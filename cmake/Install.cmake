# What `cmake --install` puts under the prefix: the program and the target
# simulator, their manual pages, the menu entry and icons, and the README with
# the pictures it shows as documentation. The
# settings and ports files are not installed: the program keeps them beside
# its executable and starts without them.
include(GNUInstallDirs)

set(KORVEL_DOC_DIR ${CMAKE_INSTALL_DATAROOTDIR}/doc/avrbootloaderkorvel)
set(KORVEL_ICON_DIR ${CMAKE_INSTALL_DATAROOTDIR}/icons/hicolor)

# The maker's name, rights year and web address come from the texts the
# information window shows, so that a renamed product changes them in one place.
set(korvel_maker_texts ${PROJECT_SOURCE_DIR}/src/infowindow/MakerTexts.h)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${korvel_maker_texts})
file(READ ${korvel_maker_texts} korvel_maker)
string(REGEX MATCH "kCompanyName = \"([^\"]+)\"" _ "${korvel_maker}")
set(KORVEL_MAKER "${CMAKE_MATCH_1}")
string(REGEX MATCH "kRightsNotice = \"[^\"]*([12][0-9][0-9][0-9])" _ "${korvel_maker}")
set(KORVEL_RIGHTS_YEAR "${CMAKE_MATCH_1}")
string(REGEX MATCH "kWebAddresses = \"([^\" ]+)" _ "${korvel_maker}")
set(KORVEL_WEB "${CMAKE_MATCH_1}")
if(NOT KORVEL_MAKER OR NOT KORVEL_RIGHTS_YEAR OR NOT KORVEL_WEB)
  message(FATAL_ERROR "${korvel_maker_texts}: kCompanyName, kRightsNotice (with a year) or kWebAddresses not found")
endif()
configure_file(${CMAKE_CURRENT_LIST_DIR}/copyright.in ${PROJECT_BINARY_DIR}/copyright @ONLY)

install(TARGETS AVRBootloaderKorvel RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# On Windows the console twin goes beside the window program.
if(TARGET AVRBootloaderKorvelConsole)
  install(TARGETS AVRBootloaderKorvelConsole RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()
# The target simulator goes beside the program, so that a station with only
# the package can try its scripts without a board.
set(korvel_programs AVRBootloaderKorvel)
if(TARGET korvel-targetsim)
  install(TARGETS korvel-targetsim RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  list(APPEND korvel_programs korvel-targetsim)
endif()
# A stripped install (cpack strips) also drops the compiler's version notes,
# which the programs do not need, as Debian's own packages do.
if(CMAKE_OBJCOPY AND NOT WIN32)
  foreach(program IN LISTS korvel_programs)
    install(CODE "if(CMAKE_INSTALL_DO_STRIP)
      execute_process(COMMAND \"${CMAKE_OBJCOPY}\" --remove-section=.comment --remove-section=.note
        \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/$<TARGET_FILE_NAME:${program}>\"
        COMMAND_ERROR_IS_FATAL ANY)
    endif()")
  endforeach()
endif()

# The program and its manual page also under the lower-case name that users
# type: relative links, made in the build folder and installed as links. The
# simulator's page beside them.
if(TARGET korvel_manual)
  set(korvel_links ${PROJECT_BINARY_DIR}/links)
  file(MAKE_DIRECTORY ${korvel_links})
  file(CREATE_LINK AVRBootloaderKorvel ${korvel_links}/avrbootloaderkorvel SYMBOLIC)
  file(CREATE_LINK AVRBootloaderKorvel.1.gz ${korvel_links}/avrbootloaderkorvel.1.gz SYMBOLIC)
  install(FILES ${korvel_links}/avrbootloaderkorvel DESTINATION ${CMAKE_INSTALL_BINDIR})
  install(FILES ${PROJECT_BINARY_DIR}/man/AVRBootloaderKorvel.1.gz ${korvel_links}/avrbootloaderkorvel.1.gz
    DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  if(TARGET korvel-targetsim)
    install(FILES ${PROJECT_BINARY_DIR}/man/korvel-targetsim.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  endif()
endif()

install(FILES ${PROJECT_SOURCE_DIR}/resources/avrbootloaderkorvel.desktop
  DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/applications)
install(FILES ${PROJECT_SOURCE_DIR}/resources/images/icon.png
  DESTINATION ${KORVEL_ICON_DIR}/32x32/apps RENAME avrbootloaderkorvel.png)
install(FILES ${PROJECT_SOURCE_DIR}/resources/images/icon_128.png
  DESTINATION ${KORVEL_ICON_DIR}/128x128/apps RENAME avrbootloaderkorvel.png)

# The README goes with every picture under docs/ that it links or shows, in
# the same place relative to it, so that its links still work. Its links to
# the documents of the sources (docs/*.md), which are not installed, become
# plain text that names them.
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/README.md)
file(READ ${PROJECT_SOURCE_DIR}/README.md korvel_readme)
string(REGEX REPLACE "\\[([^]\n]+)\\]\\((docs/[^)\n]+\\.md)\\)" "\\1 (\\2 in the program's sources)"
  korvel_installed_readme "${korvel_readme}")
file(WRITE ${PROJECT_BINARY_DIR}/README.md "${korvel_installed_readme}")
install(FILES ${PROJECT_BINARY_DIR}/README.md DESTINATION ${KORVEL_DOC_DIR})
install(FILES ${PROJECT_BINARY_DIR}/copyright DESTINATION ${KORVEL_DOC_DIR})
string(REGEX MATCHALL "docs/[^]()<>\"' \t\r\n]+\\.(png|jpg|jpeg|gif|svg)" korvel_readme_pictures "${korvel_readme}")
list(REMOVE_DUPLICATES korvel_readme_pictures)
foreach(picture IN LISTS korvel_readme_pictures)
  get_filename_component(picture_dir ${picture} DIRECTORY)
  install(FILES ${PROJECT_SOURCE_DIR}/${picture} DESTINATION ${KORVEL_DOC_DIR}/${picture_dir})
endforeach()

# The same files as a Debian package.
include(${CMAKE_CURRENT_LIST_DIR}/Package.cmake)
