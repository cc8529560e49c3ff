# The program's Windows resources: its icon, version information and
# application manifest, in a .rc file generated from the project's version and
# compiled only for Windows.
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
  get_target_property(output_name ${target} OUTPUT_NAME)
  get_target_property(suffix ${target} SUFFIX)
  if(NOT output_name)
    set(output_name ${target})
  endif()
  if(NOT suffix)
    set(suffix ${CMAKE_EXECUTABLE_SUFFIX})
  endif()
  set(KORVEL_RC_FILE_NAME ${output_name}${suffix})
  # MSVC's linker writes a manifest of its own and merges the .manifest
  # sources into it; other toolchains take it as the resource.
  set(manifest ${PROJECT_SOURCE_DIR}/resources/AVRBootloaderKorvel.manifest)
  if(MSVC)
    set(KORVEL_RC_MANIFEST "")
    target_sources(${target} PRIVATE ${manifest})
  else()
    # 1 is CREATEPROCESS_MANIFEST_RESOURCE_ID, 24 RT_MANIFEST.
    set(KORVEL_RC_MANIFEST "1 24 \"${manifest}\"")
    set_property(SOURCE ${CMAKE_CURRENT_BINARY_DIR}/${target}.rc APPEND PROPERTY OBJECT_DEPENDS ${manifest})
  endif()
  set(rc ${CMAKE_CURRENT_BINARY_DIR}/${target}.rc)
  configure_file(${PROJECT_SOURCE_DIR}/resources/AVRBootloaderKorvel.rc.in ${rc} @ONLY)
  target_sources(${target} PRIVATE ${rc})
endfunction()
