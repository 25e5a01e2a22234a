# The program is built in layers, each a static library in a folder of its
# own, linked only to the layers below it:
#
#   pool, platform  <  screen  <  session  <  drill, exam  <  app  <  fullscreen, plain
#   platform        <  study   <  session                     (the study record)
#   screen          <  backends                               (the real platform)
#
# session holds what every screen shares; drill and exam their rules and
# flow without drawing; app the flow from the menu; fullscreen and plain
# the two faces that show it.
#
# A layer sees its own headers and those of the layers it links, and no
# others: every folder is reachable only through an include directory that
# holds a link to that one folder, so an include of a higher layer fails to
# compile.

# pentrill_layer_includes(<target> <folder>)
function(pentrill_layer_includes target folder)
  set(root ${CMAKE_BINARY_DIR}/layers/${folder})
  if(NOT EXISTS ${root}/${folder})
    file(MAKE_DIRECTORY ${root})
    file(CREATE_LINK ${PROJECT_SOURCE_DIR}/${folder} ${root}/${folder} SYMBOLIC)
  endif()
  get_target_property(type ${target} TYPE)
  if(type STREQUAL "INTERFACE_LIBRARY")
    target_include_directories(${target} INTERFACE ${root})
  else()
    target_include_directories(${target} PUBLIC ${root})
  endif()
endfunction()

# pentrill_layer(<folder> [DEPENDS <target>...] [EXCLUDE <source>...])
#
# The library pentrill_<folder> from the folder's sources (header-only when it
# has none), seeing its own folder and what its dependencies see. EXCLUDE
# names sources (relative to the folder) that another target builds.
function(pentrill_layer folder)
  cmake_parse_arguments(LAYER "" "" "DEPENDS;EXCLUDE" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/${folder}/*.cpp)
  list(FILTER sources EXCLUDE REGEX "/main\\.cpp$")
  foreach(excluded ${LAYER_EXCLUDE})
    list(REMOVE_ITEM sources ${PROJECT_SOURCE_DIR}/${folder}/${excluded})
  endforeach()
  set(target pentrill_${folder})
  if(sources)
    add_library(${target} STATIC ${sources})
    target_link_libraries(${target} PUBLIC ${LAYER_DEPENDS})
  else()
    add_library(${target} INTERFACE)
    target_link_libraries(${target} INTERFACE ${LAYER_DEPENDS})
  endif()
  pentrill_layer_includes(${target} ${folder})
  set_property(GLOBAL APPEND PROPERTY PENTRILL_LAYERS ${folder})
endfunction()

# pentrill_check_layer_headers()
#
# Every header compiles on its own within its layer: it includes what it uses
# and nothing from a layer above it.
function(pentrill_check_layer_headers)
  get_property(layers GLOBAL PROPERTY PENTRILL_LAYERS)
  foreach(folder ${layers})
    file(GLOB headers CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/${folder}/*.h)
    set(units)
    foreach(header ${headers})
      get_filename_component(name ${header} NAME_WE)
      set(unit ${CMAKE_BINARY_DIR}/header_checks/${folder}/${name}.cpp)
      file(CONFIGURE OUTPUT ${unit} CONTENT "#include \"${folder}/${name}.h\"\n")
      list(APPEND units ${unit})
    endforeach()
    if(units)
      add_library(pentrill_${folder}_headers OBJECT ${units})
      target_link_libraries(pentrill_${folder}_headers PRIVATE pentrill_${folder})
    endif()
  endforeach()
endfunction()
