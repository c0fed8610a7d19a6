# Adds each listed folder that has a CMakeLists.txt; parts of the tree land one at a time.
function(tarnvale_add_subdirs)
  foreach(dir IN LISTS ARGN)
    if(EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/${dir}/CMakeLists.txt)
      add_subdirectory(${dir})
    endif()
  endforeach()
endfunction()

# A shared library of the engine: public headers in <folder>/include, installed with the program.
function(tarnvale_library target)
  add_library(${target} SHARED ${ARGN})
  target_include_directories(${target} PUBLIC
    $<BUILD_INTERFACE:${CMAKE_CURRENT_SOURCE_DIR}/include>)
  install(TARGETS ${target} LIBRARY DESTINATION ${TARNVALE_INSTALL_LIBDIR})
endfunction()

# A plug-in loaded by bare name at run time ("libquorra" -> libquorra.so next to the libraries).
function(tarnvale_plugin target)
  add_library(${target} MODULE ${ARGN})
  install(TARGETS ${target} LIBRARY DESTINATION ${TARNVALE_INSTALL_LIBDIR})
endfunction()
