# Checks the includes of every source file under ${SOURCE_DIR}/<library>/ against the
# layering: a quoted include of another library of ours must be allowed by the table in
# xyla_library.cmake and declared in the library's DEPS; Qt headers only where the library
# declares Qt components; cairo only in render and io_paint (everyone else measures and draws
# through render). Run by CTest:
#   cmake -DSOURCE_DIR=<dir> -DLAYERS=<build>/xyla_layers.cmake -P check_layers.cmake
cmake_minimum_required(VERSION 3.25)
include(${LAYERS})
set(cairo_libraries render io_paint)
# The program's own main file and its side of the drawing and MySQL modules live beside
# the start-up code but belong to the xyla executable, which reaches every library (the
# windows as well, through the module); the MySQL module's entry lives beside io.
set(program_sources app/main.cpp app/painting_door.cpp app/sql_door.cpp io/sql_module.cpp)

set(problems "")
file(GLOB_RECURSE sources RELATIVE ${SOURCE_DIR} ${SOURCE_DIR}/*.h ${SOURCE_DIR}/*.cpp)
foreach(source IN LISTS sources)
  string(REGEX MATCH "^[^/]+" lib "${source}")
  if(NOT lib IN_LIST XYLA_LIBRARIES OR source IN_LIST program_sources)
    continue()
  endif()
  # Libraries that share a folder (io, io_paint, io_sql): a file belongs to the one that
  # lists it, a header to the one that lists its source file.
  string(REGEX REPLACE "\\.h$" ".cpp" implementation "${source}")
  foreach(other IN LISTS XYLA_LIBRARIES)
    if(implementation IN_LIST XYLA_SOURCES_${other})
      set(lib ${other})
    endif()
  endforeach()
  file(STRINGS ${SOURCE_DIR}/${source} lines REGEX "^[ \t]*#[ \t]*include")
  foreach(line IN LISTS lines)
    if(line MATCHES "#[ \t]*include[ \t]*\"([a-z_]+)/")
      set(used ${CMAKE_MATCH_1})
      if(used STREQUAL lib OR NOT used IN_LIST XYLA_LIBRARIES)
        continue()
      endif()
      if(NOT used IN_LIST XYLA_ALLOWED_${lib})
        list(APPEND problems "${source}: '${lib}' may not use '${used}': ${line}")
      elseif(NOT used IN_LIST XYLA_DECLARED_${lib})
        list(APPEND problems "${source}: '${lib}' uses '${used}' without declaring it in DEPS: ${line}")
      endif()
    elseif(line MATCHES "#[ \t]*include[ \t]*<(Q[A-Za-z]+)")
      if(NOT XYLA_QT_${lib})
        list(APPEND problems "${source}: '${lib}' declares no Qt component: ${line}")
      endif()
    elseif(line MATCHES "#[ \t]*include[ \t]*<cairo")
      if(NOT lib IN_LIST cairo_libraries)
        list(APPEND problems "${source}: only render and io use cairo: ${line}")
      endif()
    endif()
  endforeach()
endforeach()

if(problems)
  list(JOIN problems "\n" text)
  message(FATAL_ERROR "include layering broken:\n${text}")
endif()
list(LENGTH sources count)
message(STATUS "${count} files follow the layering")
