# Source lists are globbed per folder so that each subsystem can grow
# without every change touching a shared build file.
function(wunt_glob_sources out)
  set(files)
  foreach(dir IN LISTS ARGN)
    file(GLOB found CONFIGURE_DEPENDS "${CMAKE_SOURCE_DIR}/${dir}/*.cpp")
    list(APPEND files ${found})
  endforeach()
  set(${out} ${files} PARENT_SCOPE)
endfunction()

# A library whose folder has no sources yet becomes an interface library, so
# the tree configures while a subsystem is still empty.
function(wunt_add_library name)
  cmake_parse_arguments(arg "" "" "SOURCES;DEPS" ${ARGN})
  if(arg_SOURCES)
    add_library(${name} STATIC ${arg_SOURCES})
    target_link_libraries(${name} PUBLIC ${arg_DEPS})
  else()
    add_library(${name} INTERFACE)
    target_link_libraries(${name} INTERFACE ${arg_DEPS})
  endif()
endfunction()
