# stereolint_library(NAME FOLDERS f1 [f2 ...] USES dep1 ... SOURCES ...)
#
# One static library per source folder. USES names the project libraries it
# builds on; they are linked publicly. Every `#include "FOLDER/…"` of the
# library's sources must name one of its own folders or the folder of a
# library it uses (directly or through one it uses), otherwise configuring
# fails: an include that reaches upward, against the layers, does not build.
#
# The folder of each project library is recorded in the global property
# STEREOLINT_FOLDER_<target>, its reachable folders in
# STEREOLINT_REACH_<target>.

function(stereolint_library name)
  cmake_parse_arguments(ARG "" "FOLDER" "USES;SOURCES;LINKS" ${ARGN})
  add_library(${name} STATIC ${ARG_SOURCES})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
  target_link_libraries(${name} PUBLIC ${ARG_USES} ${ARG_LINKS})

  set(reach ${ARG_FOLDER})
  foreach(dep IN LISTS ARG_USES)
    get_property(dep_reach GLOBAL PROPERTY STEREOLINT_REACH_${dep})
    if(NOT dep_reach)
      message(FATAL_ERROR "${name} uses ${dep}, which is no project library defined before it")
    endif()
    list(APPEND reach ${dep_reach})
  endforeach()
  list(REMOVE_DUPLICATES reach)
  set_property(GLOBAL PROPERTY STEREOLINT_REACH_${name} "${reach}")

  foreach(source IN LISTS ARG_SOURCES)
    get_filename_component(path ${source} ABSOLUTE)
    file(STRINGS ${path} includes REGEX "^#include \"[A-Za-z0-9_/]+\\.h\"")
    foreach(line IN LISTS includes)
      string(REGEX REPLACE "^#include \"(.+)/[^/]+\\.h\".*" "\\1" folder "${line}")
      if(NOT folder IN_LIST reach)
        file(RELATIVE_PATH shown ${PROJECT_SOURCE_DIR} ${path})
        message(FATAL_ERROR
          "${shown}: ${line} reaches the folder ${folder}, which ${name} does not build on "
          "(it builds on: ${reach})")
      endif()
    endforeach()
  endforeach()
endfunction()
