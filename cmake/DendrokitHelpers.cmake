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
