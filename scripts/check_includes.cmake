# cmake -DSOURCE_DIR=... [-DSTAMP=...] -P check_includes.cmake
# The layers hold only while every quote include names its header from the source root
# ("engine/globals.h"), which finds it in the include folder of a linked target alone. A quote
# include is first looked for beside the including file, so "../workbench/main_form.h", or a bare
# "services.h" in workbench/, would reach a header of a layer the target does not link. Both are
# refused: "../" everywhere, a bare name in the layered folders (tests and fuzz harnesses keep
# their helpers beside them).
file(GLOB_RECURSE sources LIST_DIRECTORIES false
  RELATIVE ${SOURCE_DIR}
  ${SOURCE_DIR}/*.h ${SOURCE_DIR}/*.hpp ${SOURCE_DIR}/*.cpp ${SOURCE_DIR}/*.cc ${SOURCE_DIR}/*.inc)
set(layered common/ platform/ engine/ pairwise/ workbench/)
set(faults)
foreach(source ${sources})
  # Build folders live inside the source tree.
  if(source MATCHES "^build[^/]*/" OR source MATCHES "/CMakeFiles/")
    continue()
  endif()
  file(STRINGS ${SOURCE_DIR}/${source} lines REGEX "^[ \t]*#[ \t]*include[ \t]*\"")
  set(isLayered FALSE)
  foreach(folder ${layered})
    string(FIND "${source}" "${folder}" at)
    if(at EQUAL 0)
      set(isLayered TRUE)
    endif()
  endforeach()
  foreach(line ${lines})
    if(line MATCHES "\"([^\"]*)\"")
      set(name ${CMAKE_MATCH_1})
      if(name MATCHES "(^|/)\\.\\./")
        list(APPEND faults "${source}: ${line}")
      elseif(isLayered AND NOT name MATCHES "/")
        list(APPEND faults "${source}: ${line} (name the header from the source root)")
      endif()
    endif()
  endforeach()
endforeach()
if(faults)
  list(JOIN faults "\n  " text)
  message(FATAL_ERROR "Quote includes that pass the layers by:\n  ${text}")
endif()
if(STAMP)
  file(TOUCH ${STAMP})
endif()
