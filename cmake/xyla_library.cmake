# One helper adds every library of the program. The table below says which of our
# libraries each one may link; a dependency outside it stops the configure step, so the
# layering cannot erode silently.
set(XYLA_ALLOWED_model "")
set(XYLA_ALLOWED_shapes "")
set(XYLA_ALLOWED_expr "model;shapes")
set(XYLA_ALLOWED_outside "model")
set(XYLA_ALLOWED_analysis "expr;model;outside")
set(XYLA_ALLOWED_fit "expr;shapes;model")
set(XYLA_ALLOWED_render "expr;model")
set(XYLA_ALLOWED_io "render;model;io_paint;io_sql")
# The picture and document-image writers of io, apart so that the program can load them
# with the windows, only when a run draws.
set(XYLA_ALLOWED_io_paint "io;render;model")
# The MySQL connection of io (Qt's SQL driver), apart so that the program loads it only
# when a run imports from a server.
set(XYLA_ALLOWED_io_sql "io;model")
set(XYLA_ALLOWED_macro "model;shapes;expr;analysis;fit;render;io;io_paint;outside")
set(XYLA_ALLOWED_app "model;shapes;expr;analysis;fit;render;io;io_paint;macro;outside")
set(XYLA_ALLOWED_gui "model;shapes;expr;analysis;fit;render;io;io_paint;macro;outside;app")

# xyla_add_library(<name> SOURCES <files...> [DEPS <our libraries...>] [QT <Qt components...>])
function(xyla_add_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS;QT" ${ARGN})
  if(NOT DEFINED XYLA_ALLOWED_${name})
    message(FATAL_ERROR "library '${name}' is not in the layering table")
  endif()
  foreach(dep IN LISTS ARG_DEPS)
    if(NOT dep IN_LIST XYLA_ALLOWED_${name})
      message(FATAL_ERROR "library '${name}' may not depend on '${dep}'")
    endif()
  endforeach()
  # Remembered for the include check (tests/CMakeLists.txt writes them out).
  set_property(GLOBAL APPEND PROPERTY XYLA_LIBRARIES ${name})
  set_property(GLOBAL PROPERTY XYLA_DECLARED_${name} "${ARG_DEPS}")
  set_property(GLOBAL PROPERTY XYLA_QT_${name} "${ARG_QT}")
  # Its sources as "<folder>/<file>", for libraries that share a folder.
  get_filename_component(folder ${CMAKE_CURRENT_SOURCE_DIR} NAME)
  list(TRANSFORM ARG_SOURCES PREPEND "${folder}/" OUTPUT_VARIABLE placed)
  set_property(GLOBAL PROPERTY XYLA_SOURCES_${name} "${placed}")
  add_library(${name} STATIC ${ARG_SOURCES})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
  target_link_libraries(${name} PUBLIC ${ARG_DEPS})
  foreach(qt IN LISTS ARG_QT)
    target_link_libraries(${name} PUBLIC Qt6::${qt})
  endforeach()
endfunction()

# Writes the layering (libraries, allowed, declared and Qt components of each) to `file`
# for cmake/check_layers.cmake.
function(xyla_write_layers file)
  get_property(libraries GLOBAL PROPERTY XYLA_LIBRARIES)
  set(text "set(XYLA_LIBRARIES \"${libraries}\")\n")
  foreach(lib IN LISTS libraries)
    get_property(declared GLOBAL PROPERTY XYLA_DECLARED_${lib})
    get_property(qt GLOBAL PROPERTY XYLA_QT_${lib})
    get_property(placed GLOBAL PROPERTY XYLA_SOURCES_${lib})
    string(APPEND text "set(XYLA_ALLOWED_${lib} \"${XYLA_ALLOWED_${lib}}\")\n")
    string(APPEND text "set(XYLA_DECLARED_${lib} \"${declared}\")\n")
    string(APPEND text "set(XYLA_QT_${lib} \"${qt}\")\n")
    string(APPEND text "set(XYLA_SOURCES_${lib} \"${placed}\")\n")
  endforeach()
  file(WRITE ${file} "${text}")
endfunction()
