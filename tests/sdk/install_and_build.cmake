# cmake -P: installs the build into SCRATCH/prefix, copies the consumer project to SCRATCH/src
# (nothing of the source tree in reach), builds it against the prefix and runs what it built;
# then does what the README's "Making a game with tarnvale" says, file by file; then builds the
# example game Pegfall out of the tree, checks its data and plays a game of it without a window.
cmake_minimum_required(VERSION 3.25)
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

# Every "`mygame/FILE`" of the README followed by a fenced block is written as that file.
file(READ ${README} readme)
string(FIND "${readme}" "## Making a game with tarnvale" at)
string(SUBSTRING "${readme}" ${at} -1 readme)
set(game ${SCRATCH}/mygame)
while(TRUE)
  string(FIND "${readme}" "`mygame/" at)
  if(at EQUAL -1)
    break()
  endif()
  math(EXPR at "${at} + 8")
  string(SUBSTRING "${readme}" ${at} -1 readme)
  string(FIND "${readme}" "`" end)
  string(SUBSTRING "${readme}" 0 ${end} name)
  string(FIND "${readme}" "```" fence)
  math(EXPR gap "${fence} - ${end}")
  if(gap GREATER 4)
    continue()
  endif()
  string(SUBSTRING "${readme}" ${fence} -1 readme)
  string(FIND "${readme}" "\n" line_end)
  math(EXPR line_end "${line_end} + 1")
  string(SUBSTRING "${readme}" ${line_end} -1 readme)
  string(FIND "${readme}" "\n```" close)
  math(EXPR close "${close} + 1")
  string(SUBSTRING "${readme}" 0 ${close} content)
  file(WRITE ${game}/${name} "${content}")
  list(APPEND written ${name})
endwhile()
if(NOT "spinner.cpp" IN_LIST written OR NOT "res/menu.scn" IN_LIST written)
  message(FATAL_ERROR "the README's game is not complete: ${written}")
endif()
file(COPY_FILE ${prefix}/${DATA_DIR}/res/game/stone0.png ${game}/res/stone.png)
run("configuring the README's game" ${CMAKE_COMMAND} -S ${game} -B ${game}/build -G ${GENERATOR}
    -DCMAKE_CXX_COMPILER=${CXX} "-DCMAKE_CXX_FLAGS=${FLAGS}" "-DCMAKE_MODULE_LINKER_FLAGS=${FLAGS}"
    -DCMAKE_PREFIX_PATH=${prefix})
run("building the README's game" ${CMAKE_COMMAND} --build ${game}/build)
run("checking the README's game" ${prefix}/${GAMES_DIR}/tarnvale-check ${game})
# Played without a window: the same data but the windowless driver, for a few frames.
file(WRITE ${game}/cfg/Video.cfg "[Video]\n\tDriver libheadless_tessar\n\tFrames 20\n[/]\n")
execute_process(COMMAND ${prefix}/${LIB_DIR}/tarnvale WORKING_DIRECTORY ${game}
                RESULT_VARIABLE result OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT result EQUAL 0 OR NOT out MATCHES "INFO:Game module: libmygame" OR err MATCHES "left out")
  message(FATAL_ERROR "the README's game did not run (${result}):\n${out}\n${err}")
endif()

# Pegfall: menu, Play, ten presses for its five balls, game over.
file(COPY ${PEGFALL}/ DESTINATION ${SCRATCH}/pegfall-src)
set(pegfall ${SCRATCH}/pegfall)
run("configuring Pegfall" ${CMAKE_COMMAND} -S ${SCRATCH}/pegfall-src -B ${pegfall} -G ${GENERATOR}
    -DCMAKE_CXX_COMPILER=${CXX} "-DCMAKE_CXX_FLAGS=${FLAGS}" "-DCMAKE_MODULE_LINKER_FLAGS=${FLAGS}"
    -DCMAKE_PREFIX_PATH=${prefix})
run("building Pegfall" ${CMAKE_COMMAND} --build ${pegfall})
run("checking Pegfall" ${prefix}/${GAMES_DIR}/tarnvale-check ${pegfall})
set(input "10 mouse_press 0 -0.1\n11 mouse_release 0 -0.1\n")
set(frame 40)
foreach(x 0.05 -0.3 0.42 -0.61 0.2 0.1 -0.1 0.3 -0.5 0.6)
  math(EXPR release "${frame} + 1")
  string(APPEND input "${frame} mouse_press ${x} 0.8\n${release} mouse_release ${x} 0.8\n")
  math(EXPR frame "${frame} + 230")
endforeach()
file(WRITE ${pegfall}/input.txt "${input}")
file(WRITE ${pegfall}/cfg/Video.cfg
     "[Video]\n\tDriver libheadless_tessar\n\tFrames 2600\n\tInputFile input.txt\n[/]\n")
execute_process(COMMAND ${CMAKE_COMMAND} -E env XDG_DATA_HOME=${SCRATCH}/player
                        ${prefix}/${LIB_DIR}/tarnvale WORKING_DIRECTORY ${pegfall}
                RESULT_VARIABLE result OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT result EQUAL 0 OR NOT out MATCHES "Pegfall: ball 1 lit [0-9]+ pegs, score [0-9]+\n"
   OR NOT out MATCHES "Pegfall: ball 5 lit" OR NOT out MATCHES "Pegfall: game over, score ([1-9][0-9]*)")
  message(FATAL_ERROR "a game of Pegfall did not run its course (${result}):\n${out}\n${err}")
endif()
# The game over's table entered the game among the best scores, in Pegfall's own folder.
set(final_score ${CMAKE_MATCH_1})
file(READ ${SCRATCH}/player/pegfall/scores.cfg scores)
if(NOT scores MATCHES "score[ \t]+${final_score}\n")
  message(FATAL_ERROR "Pegfall's score ${final_score} is not among its best scores:\n${scores}")
endif()
