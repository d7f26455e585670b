include(GNUInstallDirs)

# dendrokit_library(<name> SOURCES ... [LIBS ...])
# One library per folder (shared unless BUILD_SHARED_LIBS is OFF), available as
# dendrokit::<name> both in this build and to users of find_package(dendrokit); headers are
# included from the repository root ("numeric/matrix.h") and installed the same way. Only
# what the headers mark DENDROKIT_EXPORT (gfxbase/export.h, generated) is visible outside a
# shared library. The file is libdendrokit_<name>; until 1.0 every minor version may change
# the binary interface, so the SOVERSION is major.minor.
function(dendrokit_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_library(${name} ${ARG_SOURCES})
  add_library(dendrokit::${name} ALIAS ${name})
  # Installed beside other projects' libraries: libdendrokit_cluster.so, not libcluster.so.
  set_target_properties(${name} PROPERTIES
    OUTPUT_NAME dendrokit_${name}
    CXX_VISIBILITY_PRESET hidden
    VISIBILITY_INLINES_HIDDEN ON
    VERSION ${PROJECT_VERSION}
    SOVERSION ${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}
    DEFINE_SYMBOL DENDROKIT_BUILDING)
  if(NOT BUILD_SHARED_LIBS)
    target_compile_definitions(${name} PUBLIC DENDROKIT_STATIC_DEFINE)
  endif()
  target_include_directories(${name} PUBLIC
    $<BUILD_INTERFACE:${PROJECT_SOURCE_DIR}>
    $<BUILD_INTERFACE:${PROJECT_BINARY_DIR}/include>
    $<INSTALL_INTERFACE:${CMAKE_INSTALL_INCLUDEDIR}/dendrokit>)
  target_compile_features(${name} PUBLIC cxx_std_20)
  if(ARG_LIBS)
    target_link_libraries(${name} PUBLIC ${ARG_LIBS})
  endif()
  # Qt's headers are most of a control's compile time: parsed once for all the libraries.
  if(TARGET dendrokit_pch_qt AND ("Qt6::Widgets" IN_LIST ARG_LIBS
      OR "dendrokit::gfxbase" IN_LIST ARG_LIBS))
    target_precompile_headers(${name} REUSE_FROM dendrokit_pch_qt)
  elseif(TARGET dendrokit_pch_std)
    target_precompile_headers(${name} REUSE_FROM dendrokit_pch_std)
  endif()
  file(RELATIVE_PATH folder ${PROJECT_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR})
  install(TARGETS ${name} EXPORT dendrokitTargets
    ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR}
    LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
    RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  install(DIRECTORY ${CMAKE_CURRENT_SOURCE_DIR}/
    DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/dendrokit/${folder}
    FILES_MATCHING PATTERN "*.h"
    PATTERN "*_p.h" EXCLUDE
    PATTERN "examples" EXCLUDE)
endfunction()

# The standard headers the Qt-free libraries share, precompiled once; they are about half of
# such a file's compile time. GCC only: clang (the fuzz build) rejects rather than ignores
# a precompiled header whose settings differ, and its builds are not the slow ones.
function(dendrokit_std_pch)
  if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
    return()
  endif()
  add_library(dendrokit_pch_std OBJECT ${PROJECT_SOURCE_DIR}/cmake/pch_host.cpp)
  target_precompile_headers(dendrokit_pch_std PRIVATE <algorithm> <array> <cmath> <cstdint>
    <functional> <limits> <memory> <optional> <stdexcept> <string> <string_view> <utility>
    <vector>)
  set_target_properties(dendrokit_pch_std PROPERTIES AUTOMOC OFF
    CXX_VISIBILITY_PRESET hidden VISIBILITY_INLINES_HIDDEN ON)
endfunction()

# The precompiled Qt header the Qt libraries share (dendrokit_library uses it), built once in
# an object library compiled like them: position-independent, hidden visibility, and no
# macro of its own, since GCC only takes a precompiled header whose macros the user also has.
function(dendrokit_qt_pch)
  add_library(dendrokit_pch_qt OBJECT ${PROJECT_SOURCE_DIR}/cmake/pch_host.cpp)
  target_link_libraries(dendrokit_pch_qt PRIVATE Qt6::Widgets)
  target_precompile_headers(dendrokit_pch_qt PRIVATE <algorithm> <array> <cmath> <cstdint>
    <functional> <memory> <optional> <string> <string_view> <vector> <QApplication>
    <QColor> <QComboBox> <QEvent> <QFont> <QFontMetrics> <QImage> <QMenu> <QPainter>
    <QPixmap> <QString> <QWidget>)
  set_target_properties(dendrokit_pch_qt PROPERTIES AUTOMOC OFF
    CXX_VISIBILITY_PRESET hidden VISIBILITY_INLINES_HIDDEN ON)
endfunction()

# dendrokit_tests: the test programs and everything the tests run or install (libraries,
# tools, the sample program, the Designer plugin), but not the benchmarks under bench/ nor
# the programs under */examples/, which no test needs. ./test.sh builds this target; the
# default target still builds everything. Call it at the end of the top-level list file.
function(dendrokit_tests_target)
  add_custom_target(dendrokit_tests)
  _dendrokit_test_build_deps(${PROJECT_SOURCE_DIR} deps)
  if(deps)
    add_dependencies(dendrokit_tests ${deps})
  endif()
endfunction()

function(_dendrokit_test_build_deps dir out)
  set(found "")
  if(NOT dir STREQUAL "${PROJECT_SOURCE_DIR}/bench")
    get_property(targets DIRECTORY ${dir} PROPERTY BUILDSYSTEM_TARGETS)
    foreach(t IN LISTS targets)
      get_target_property(type ${t} TYPE)
      get_target_property(excluded ${t} EXCLUDE_FROM_ALL)
      if(NOT type MATCHES "^(EXECUTABLE|(SHARED|STATIC|MODULE|OBJECT)_LIBRARY)$" OR excluded)
        continue()
      endif()
      get_target_property(sources ${t} SOURCES)
      set(others ${sources})
      list(FILTER others EXCLUDE REGEX "(^|/)examples/")
      if(others OR NOT sources)
        list(APPEND found ${t})
      endif()
    endforeach()
    get_property(subdirs DIRECTORY ${dir} PROPERTY SUBDIRECTORIES)
    foreach(sub IN LISTS subdirs)
      _dendrokit_test_build_deps(${sub} more)
      list(APPEND found ${more})
    endforeach()
  endif()
  set(${out} ${found} PARENT_SCOPE)
endfunction()

# dendrokit_files_match(<out> <regex> <file>...): TRUE when a line of one of the files (those
# that exist) matches.
function(dendrokit_files_match out regex)
  set(found FALSE)
  foreach(file IN LISTS ARGN)
    if(EXISTS ${file} AND NOT IS_DIRECTORY ${file})
      file(STRINGS ${file} hits REGEX "${regex}")
      if(hits)
        set(found TRUE)
        break()
      endif()
    endif()
  endforeach()
  set(${out} ${found} PARENT_SCOPE)
endfunction()

# CMAKE_AUTOMOC gives every target a moc step and a generated source, which for a target
# without Q_OBJECT is an empty file compiled with the target's precompiled header (about half
# a second each, some forty times), and makes its compiles wait for the moc step, which waits
# for every library the target links. So moc runs only for targets whose sources, or the
# headers beside them, declare something moc reads. Call at the end of the top-level list file.
function(dendrokit_automoc_where_needed)
  _dendrokit_automoc_dir(${PROJECT_SOURCE_DIR})
endfunction()

function(_dendrokit_automoc_dir dir)
  get_property(targets DIRECTORY ${dir} PROPERTY BUILDSYSTEM_TARGETS)
  foreach(t IN LISTS targets)
    get_target_property(automoc ${t} AUTOMOC)
    get_target_property(sources ${t} SOURCES)
    if(NOT automoc)
      continue()
    endif()
    if(NOT sources)  # a program linked from object libraries: nothing of its own to read
      set_target_properties(${t} PROPERTIES AUTOMOC OFF)
      continue()
    endif()
    get_target_property(src_dir ${t} SOURCE_DIR)
    set(needed FALSE)
    foreach(src IN LISTS sources)
      if(src MATCHES "\\$<")  # a generator expression: leave the target as it is
        set(needed TRUE)
        break()
      endif()
      get_filename_component(path ${src} ABSOLUTE BASE_DIR ${src_dir})
      get_filename_component(stem ${path} NAME_WLE)
      get_filename_component(parent ${path} DIRECTORY)
      dendrokit_files_match(needed "Q_OBJECT|Q_GADGET|Q_NAMESPACE|#include +[\"<][^\">]*\\.moc[\">]"
        ${path} ${parent}/${stem}.h ${parent}/${stem}.hpp)
      if(needed)
        break()
      endif()
    endforeach()
    if(NOT needed)
      set_target_properties(${t} PROPERTIES AUTOMOC OFF)
    endif()
  endforeach()
  get_property(subdirs DIRECTORY ${dir} PROPERTY SUBDIRECTORIES)
  foreach(sub IN LISTS subdirs)
    _dendrokit_automoc_dir(${sub})
  endforeach()
endfunction()
