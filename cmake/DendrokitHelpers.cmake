include(GNUInstallDirs)

# dendrokit_library(<name> SOURCES ... [LIBS ...])
# One static library per folder, available as dendrokit::<name> both in this build and to
# users of find_package(dendrokit); headers are included from the repository root
# ("numeric/matrix.h") and installed the same way.
function(dendrokit_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_library(${name} STATIC ${ARG_SOURCES})
  add_library(dendrokit::${name} ALIAS ${name})
  # Installed beside other projects' libraries: libdendrokit_cluster.a, not libcluster.a.
  set_target_properties(${name} PROPERTIES OUTPUT_NAME dendrokit_${name})
  target_include_directories(${name} PUBLIC
    $<BUILD_INTERFACE:${PROJECT_SOURCE_DIR}>
    $<INSTALL_INTERFACE:${CMAKE_INSTALL_INCLUDEDIR}/dendrokit>)
  target_compile_features(${name} PUBLIC cxx_std_20)
  if(ARG_LIBS)
    target_link_libraries(${name} PUBLIC ${ARG_LIBS})
  endif()
  file(RELATIVE_PATH folder ${PROJECT_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR})
  install(TARGETS ${name} EXPORT dendrokitTargets
    ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR})
  install(DIRECTORY ${CMAKE_CURRENT_SOURCE_DIR}/
    DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/dendrokit/${folder}
    FILES_MATCHING PATTERN "*.h"
    PATTERN "*_p.h" EXCLUDE
    PATTERN "examples" EXCLUDE)
endfunction()
