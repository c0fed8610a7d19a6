# cmake -P: installs the build into SCRATCH/prefix, copies the consumer project to SCRATCH/src
# (nothing of the source tree in reach), builds it against the prefix and runs what it built.
function(run what)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE result OUTPUT_VARIABLE out ERROR_VARIABLE out)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "${what} failed (${result}):\n${out}")
  endif()
  set(output "${out}" PARENT_SCOPE)
endfunction()

file(REMOVE_RECURSE ${SCRATCH})
set(prefix ${SCRATCH}/prefix)
run("install" ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${prefix})
file(COPY ${CONSUMER_SOURCE}/ DESTINATION ${SCRATCH}/src)

run("configure" ${CMAKE_COMMAND} -S ${SCRATCH}/src -B ${SCRATCH}/build -G ${GENERATOR}
    -DCMAKE_CXX_COMPILER=${CXX} "-DCMAKE_CXX_FLAGS=${FLAGS}" "-DCMAKE_EXE_LINKER_FLAGS=${FLAGS}"
    "-DCMAKE_SHARED_LINKER_FLAGS=${FLAGS}" "-DCMAKE_MODULE_LINKER_FLAGS=${FLAGS}"
    -DCMAKE_PREFIX_PATH=${prefix} -DCMAKE_FIND_USE_PACKAGE_REGISTRY=OFF
    -DCMAKE_FIND_USE_SYSTEM_PACKAGE_REGISTRY=OFF)
run("build" ${CMAKE_COMMAND} --build ${SCRATCH}/build)

run("the CMake package's program" ${SCRATCH}/build/made_with_package)
if(NOT output MATCHES "made 1 Counter, counted 3")
  message(FATAL_ERROR "unexpected output of made_with_package:\n${output}")
endif()
run("the pkg-config program" ${SCRATCH}/build/made_with_pkgconfig)
if(NOT output MATCHES "tarnvale 0.2")
  message(FATAL_ERROR "unexpected output of made_with_pkgconfig:\n${output}")
endif()
