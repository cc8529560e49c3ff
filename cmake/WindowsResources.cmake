# The program's Windows resources: its icon and version information, in a .rc
# file generated from the project's version and compiled only for Windows.
# The icon (resources/images/icon.ico) holds the program's PNG icons at 128,
# 48, 32 and 16 pixels; it was made from them with ImageMagick:
#   convert icon_128.png \( icon_128.png -resize 48x48 \) icon.png \
#     \( icon.png -resize 16x16 \) icon.ico

if(WIN32)
  enable_language(RC)
endif()

# korvel_windows_resources(TARGET): gives TARGET the resources (Windows only).
function(korvel_windows_resources target)
  if(NOT WIN32)
    return()
  endif()
  # The maker's name, from the texts the information window shows.
  file(READ ${PROJECT_SOURCE_DIR}/src/infowindow/MakerTexts.h maker_texts)
  string(REGEX MATCH "kCompanyName = \"([^\"]+)\"" _ "${maker_texts}")
  set(KORVEL_RC_MAKER "${CMAKE_MATCH_1}")
  set(KORVEL_ICON_FILE ${PROJECT_SOURCE_DIR}/resources/images/icon.ico)
  set(rc ${CMAKE_CURRENT_BINARY_DIR}/${target}.rc)
  configure_file(${PROJECT_SOURCE_DIR}/resources/AVRBootloaderKorvel.rc.in ${rc} @ONLY)
  target_sources(${target} PRIVATE ${rc})
endfunction()
