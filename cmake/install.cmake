# What an install holds beside the programs, pages, libraries and Python
# package that their folders install: the CMake package, the pkg-config
# file, and each Debian package's copyright and changelog. Included at the
# top level once every folder has made its install rules.

# The CMake package: find_package(orvane_quessel) gives the same
# orvane_quessel::FOLDER for each tool as add_subdirectory, a component
# each.
set(package_dir ${CMAKE_INSTALL_LIBDIR}/cmake/orvane_quessel)
install(EXPORT orvane_quessel_targets NAMESPACE orvane_quessel::
        FILE orvane_quessel-targets.cmake DESTINATION ${package_dir}
        COMPONENT Development)
configure_package_config_file(cmake/orvane_quessel-config.cmake.in
  orvane_quessel-config.cmake INSTALL_DESTINATION ${package_dir})
write_basic_package_version_file(orvane_quessel-config-version.cmake
  COMPATIBILITY SameMajorVersion)
install(FILES ${PROJECT_BINARY_DIR}/orvane_quessel-config.cmake
              ${PROJECT_BINARY_DIR}/orvane_quessel-config-version.cmake
        DESTINATION ${package_dir} COMPONENT Development)

# The same for pkg-config. The file finds the prefix from where it lies,
# so that it holds wherever the install or the unpacked archive is moved.
file(RELATIVE_PATH pc_to_prefix ${CMAKE_INSTALL_FULL_LIBDIR}/pkgconfig
     ${CMAKE_INSTALL_PREFIX})
string(REGEX REPLACE "/$" "" pc_to_prefix "${pc_to_prefix}")
get_property(tool_names GLOBAL PROPERTY ORVANE_QUESSEL_TOOL_NAMES)
list(TRANSFORM tool_names PREPEND -l OUTPUT_VARIABLE pc_libs)
list(JOIN pc_libs " " pc_libs)
configure_file(cmake/orvane_quessel.pc.in orvane_quessel.pc @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/orvane_quessel.pc
        DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig COMPONENT Development)

# Each Debian package carries its own copyright and changelog.
add_custom_command(OUTPUT changelog.gz
  COMMAND gzip -9n -c ${PROJECT_SOURCE_DIR}/changelog > changelog.gz
  DEPENDS ${PROJECT_SOURCE_DIR}/changelog VERBATIM)
add_custom_target(orvane_quessel_changelog ALL DEPENDS changelog.gz)
set(components Runtime Development Python)
set(packages orvane-quessel orvane-quessel-dev python3-orvane-quessel)
foreach(component package IN ZIP_LISTS components packages)
  if(component STREQUAL "Python" AND NOT TARGET orvane_quessel_ufuncs)
    break()
  endif()
  install(FILES ${PROJECT_SOURCE_DIR}/copyright ${PROJECT_BINARY_DIR}/changelog.gz
          DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/${package}
          COMPONENT ${component})
endforeach()
