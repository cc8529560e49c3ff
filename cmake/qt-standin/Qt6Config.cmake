# A stand-in for Qt 6's CMake package, for compiling the whole program and its
# tests for Windows on Linux (./test --windows), where Debian has no Qt built
# for Windows: the targets Qt6::Core, Gui, Widgets, SerialPort and Test give
# the headers of the installed Linux Qt 6 and the definitions Qt's Windows
# targets give; moc, rcc and uic are the host's. Nothing can be linked against
# it: CompileOnly.cmake makes every link a no-op. Found through Qt6_DIR.
#   KORVEL_QT_HEADERS     the Linux Qt's header folder (.../include/<triplet>/qt6)
#   KORVEL_QT_HOST_TOOLS  the folder of the host's moc, rcc and uic
foreach(folder KORVEL_QT_HEADERS KORVEL_QT_HOST_TOOLS)
  if(NOT IS_DIRECTORY "${${folder}}")
    message(FATAL_ERROR "The stand-in Qt 6 package needs ${folder}: '${${folder}}' is no folder")
  endif()
endforeach()
file(STRINGS "${KORVEL_QT_HEADERS}/QtCore/qconfig.h" korvel_qt_version REGEX "#define QT_VERSION_STR")
string(REGEX MATCH "([0-9]+)\\.([0-9]+)\\.([0-9]+)" Qt6_VERSION "${korvel_qt_version}")
set(Qt6_VERSION_MAJOR ${CMAKE_MATCH_1})
set(Qt6_VERSION_MINOR ${CMAKE_MATCH_2})
set(Qt6_VERSION_PATCH ${CMAKE_MATCH_3})
set(QT_VERSION_MAJOR ${Qt6_VERSION_MAJOR})
set(QT_VERSION_MINOR ${Qt6_VERSION_MINOR})
set(QT_VERSION ${Qt6_VERSION})

foreach(tool moc rcc uic)
  if(NOT TARGET Qt6::${tool})
    add_executable(Qt6::${tool} IMPORTED)
    set_target_properties(Qt6::${tool} PROPERTIES IMPORTED_LOCATION ${KORVEL_QT_HOST_TOOLS}/${tool})
  endif()
endforeach()

# Each module: its folder of headers, its definition, the modules it needs.
set(korvel_qt_modules Core Gui Widgets SerialPort Test)
set(korvel_qt_Core_folder QtCore)
set(korvel_qt_Core_needs "")
set(korvel_qt_Gui_folder QtGui)
set(korvel_qt_Gui_needs Core)
set(korvel_qt_Widgets_folder QtWidgets)
set(korvel_qt_Widgets_needs Gui)
set(korvel_qt_SerialPort_folder QtSerialPort)
set(korvel_qt_SerialPort_needs Core)
set(korvel_qt_Test_folder QtTest)
set(korvel_qt_Test_needs Core)
foreach(module IN LISTS korvel_qt_modules)
  string(TOUPPER ${module} upper)
  if(module STREQUAL "Test")
    set(upper TESTLIB)
  endif()
  if(NOT TARGET Qt6::${module})
    add_library(Qt6::${module} INTERFACE IMPORTED)
    set(needs "")
    foreach(need IN LISTS korvel_qt_${module}_needs)
      list(APPEND needs Qt6::${need})
    endforeach()
    set_target_properties(Qt6::${module} PROPERTIES
      INTERFACE_INCLUDE_DIRECTORIES "${KORVEL_QT_HEADERS};${KORVEL_QT_HEADERS}/${korvel_qt_${module}_folder}"
      INTERFACE_COMPILE_DEFINITIONS "QT_${upper}_LIB;UNICODE;_UNICODE;WIN32;_WIN64;WIN64"
      INTERFACE_LINK_LIBRARIES "${needs}")
  endif()
  set(Qt6${module}_FOUND TRUE)
  set(Qt6${module}_VERSION ${Qt6_VERSION})
  set(Qt6${module}_VERSION_MAJOR ${Qt6_VERSION_MAJOR})
  set(Qt6${module}_VERSION_MINOR ${Qt6_VERSION_MINOR})
endforeach()
if(NOT Qt6_VERSION)
  message(FATAL_ERROR "The stand-in Qt 6 package found no QT_VERSION_STR in ${KORVEL_QT_HEADERS}/QtCore/qconfig.h")
endif()
set(Qt6_FOUND TRUE)
