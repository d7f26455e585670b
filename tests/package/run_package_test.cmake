# Installs dendrokit into a scratch prefix and builds the outside project in consumer/ against
# it, then runs what it built (and, with Qt, the installed sample program, and builds the
# projects in examples/).
#   -DSOURCE_DIR=<repo> -DWORK_DIR=<scratch> -DGENERATOR=<gen> -DWITH_QT=ON|OFF
#   -DINSTALL_FROM=<build tree to install>   (omitted: configure and build a fresh tree)
#   -DLAUNCHER=<compiler launcher, may be empty>
cmake_minimum_required(VERSION 3.25)

function(run)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE out)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "failed (${rc}): ${ARGN}\n${out}")
  endif()
endfunction()

file(REMOVE_RECURSE ${WORK_DIR})
set(prefix ${WORK_DIR}/prefix)
set(launcher "")
# Unoptimised (no build type's flags): these builds check that the install is complete and
# usable, not how fast it runs, and -O0 halves their compile time.
set(build_type -DCMAKE_BUILD_TYPE=None)
if(LAUNCHER)
  set(launcher -DCMAKE_CXX_COMPILER_LAUNCHER=${LAUNCHER})
endif()

if(NOT INSTALL_FROM)
  # A build of its own, e.g. without Qt: only the libraries and the tool.
  set(INSTALL_FROM ${WORK_DIR}/dendrokit-build)
  run(${CMAKE_COMMAND} -S ${SOURCE_DIR} -B ${INSTALL_FROM} -G ${GENERATOR}
    ${build_type} -DBUILD_TESTING=OFF -DDENDROKIT_WITH_QT=${WITH_QT} ${launcher})
  run(${CMAKE_COMMAND} --build ${INSTALL_FROM})
endif()
run(${CMAKE_COMMAND} --install ${INSTALL_FROM} --prefix ${prefix})

set(consumer ${WORK_DIR}/consumer-build)
run(${CMAKE_COMMAND} -S ${SOURCE_DIR}/tests/package/consumer -B ${consumer} -G ${GENERATOR}
  ${build_type} -DCMAKE_PREFIX_PATH=${prefix} ${launcher})
run(${CMAKE_COMMAND} --build ${consumer})
run(${consumer}/use_core)
if(WITH_QT)
  if(NOT EXISTS ${consumer}/use_controls)
    message(FATAL_ERROR "the Qt install offers no dendrokit::chart")
  endif()
  run(${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen ${consumer}/use_controls)
  run(${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen ${prefix}/bin/dendrokit-sample
    --screenshot ${WORK_DIR}/sample.png)
  # The examples a user copies: the README's program (which the README must show as it is)
  # and the Designer form, each a project of its own.
  file(READ ${SOURCE_DIR}/README.md readme)
  file(READ ${SOURCE_DIR}/examples/readme/main.cpp readme_program)
  string(FIND "${readme}" "${readme_program}" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "README.md does not show examples/readme/main.cpp as it is")
  endif()
  foreach(example readme designer-form)
    run(${CMAKE_COMMAND} -S ${SOURCE_DIR}/examples/${example} -B ${WORK_DIR}/${example}-build
      -G ${GENERATOR} ${build_type} -DCMAKE_PREFIX_PATH=${prefix} ${launcher})
    run(${CMAKE_COMMAND} --build ${WORK_DIR}/${example}-build)
  endforeach()
elseif(EXISTS ${consumer}/use_controls)
  message(FATAL_ERROR "a Qt-free install offers the controls")
endif()
file(REMOVE_RECURSE ${WORK_DIR})
