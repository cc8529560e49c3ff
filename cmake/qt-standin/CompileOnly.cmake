# Included after project() (CMAKE_PROJECT_INCLUDE) for the stand-in Qt 6
# package: every link and every static library becomes an empty file, so
# that the build compiles every source and links nothing.
foreach(language C CXX RC)
  set(CMAKE_${language}_LINK_EXECUTABLE "<CMAKE_COMMAND> -E touch <TARGET>")
  set(CMAKE_${language}_CREATE_SHARED_LIBRARY "<CMAKE_COMMAND> -E touch <TARGET>")
  set(CMAKE_${language}_CREATE_SHARED_MODULE "<CMAKE_COMMAND> -E touch <TARGET>")
  set(CMAKE_${language}_ARCHIVE_CREATE "<CMAKE_COMMAND> -E touch <TARGET>")
  set(CMAKE_${language}_ARCHIVE_APPEND "<CMAKE_COMMAND> -E touch <TARGET>")
  set(CMAKE_${language}_ARCHIVE_FINISH "")
endforeach()
