# Adds each listed folder that has a CMakeLists.txt; parts of the tree land one at a time.
function(tarnvale_add_subdirs)
  foreach(dir IN LISTS ARGN)
    if(EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/${dir}/CMakeLists.txt)
      add_subdirectory(${dir})
    endif()
  endforeach()
endfunction()

# The public headers of <folder>/include go to the SDK's one include folder, include/tarnvale, so
# that "voskar/scene.h" cannot clash with another package's headers.
set(TARNVALE_INSTALL_INCLUDEDIR ${CMAKE_INSTALL_INCLUDEDIR}/tarnvale)

# Makes a target part of the SDK: exported as Tarnvale::<target>, its headers installed.
function(tarnvale_sdk_target target)
  get_target_property(type ${target} TYPE)
  set(scope PUBLIC)
  if(type STREQUAL "INTERFACE_LIBRARY")
    set(scope INTERFACE)
  endif()
  target_include_directories(${target} ${scope}
    $<BUILD_INTERFACE:${CMAKE_CURRENT_SOURCE_DIR}/include>
    $<INSTALL_INTERFACE:${TARNVALE_INSTALL_INCLUDEDIR}>)
  install(TARGETS ${target} EXPORT TarnvaleTargets
    LIBRARY DESTINATION ${TARNVALE_INSTALL_LIBDIR})
  install(DIRECTORY include/ DESTINATION ${TARNVALE_INSTALL_INCLUDEDIR} COMPONENT development)
endfunction()

# A shared library of the engine a game links: public headers in <folder>/include.
function(tarnvale_library target)
  add_library(${target} SHARED ${ARGN})
  tarnvale_sdk_target(${target})
endfunction()

# A plug-in loaded by bare name at run time ("libquorra" -> libquorra.so next to the libraries).
function(tarnvale_plugin target)
  add_library(${target} MODULE ${ARGN})
  install(TARGETS ${target} LIBRARY DESTINATION ${TARNVALE_INSTALL_LIBDIR})
endfunction()
