# How a folder builds its program and its tool: each called from the
# folder's own CMakeLists.txt, where the sources, page and table lie.

# The program NAME, built by the caller, with its page NAME.1 and its table
# of cases NAME_test.sh run with the ARGS after it and the ENVIRONMENT:
# installed with the Runtime component, and tested as every program is, for
# its cases (also under valgrind), its page and the libraries it needs.
function(orvane_quessel_program name)
  cmake_parse_arguments(PARSE_ARGV 1 program "" "" "ENVIRONMENT;ARGS")
  set(page ${CMAKE_CURRENT_SOURCE_DIR}/${name}.1)
  # Every program at the top of the build tree, as build/orvane.
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR})
  if(ORVANE_QUESSEL_INSTALL)
    # Debian wants pages compressed, without a name or time stamp inside.
    add_custom_command(OUTPUT ${name}.1.gz
      COMMAND gzip -9n -c ${page} > ${name}.1.gz
      DEPENDS ${page} VERBATIM)
    add_custom_target(${name}_page ALL DEPENDS ${name}.1.gz)
    install(TARGETS ${name} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT Runtime)
    install(FILES ${CMAKE_CURRENT_BINARY_DIR}/${name}.1.gz
            DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT Runtime)
  endif()
  if(NOT orvane_quessel_testing)
    return()
  endif()
  set(checks ${PROJECT_SOURCE_DIR}/tests)
  set(table bash ${CMAKE_CURRENT_SOURCE_DIR}/${name}_test.sh $<TARGET_FILE:${name}> ${program_ARGS})
  # strace fails the close of stdout in the to=eio cases.
  set(environment ${orvane_quessel_test_env} "STRACE=$<$<BOOL:${STRACE}>:${STRACE}>"
                  ${program_ENVIRONMENT})
  add_test(NAME ${name} COMMAND ${table})
  set_tests_properties(${name} PROPERTIES ENVIRONMENT "${environment}")
  if(ORVANE_QUESSEL_MEMCHECK)
    add_test(NAME ${name}_memcheck COMMAND ${table})
    set_tests_properties(${name}_memcheck PROPERTIES ENVIRONMENT
      "${environment};MEMCHECK=${VALGRIND} -q --error-exitcode=99 --leak-check=full --errors-for-leak-kinds=all --suppressions=${checks}/valgrind.supp")
  endif()
  add_test(NAME ${name}_man COMMAND bash ${checks}/man_lint.sh ${GROFF} ${page})
  set_tests_properties(${name}_man PROPERTIES SKIP_RETURN_CODE 77)
  # The sanitizer runtimes bring their own dependencies.
  if(NOT ORVANE_QUESSEL_SANITIZE)
    add_test(NAME ${name}_lean COMMAND bash ${checks}/lean_test.sh ${READELF} $<TARGET_FILE:${name}>)
    set_tests_properties(${name}_lean PROPERTIES SKIP_RETURN_CODE 77)
  endif()
endfunction()

# The tool NAME of this folder: NAME.cpp, its predicate and its main, is
# compiled once, for its program and for the static library
# orvane_quessel::FOLDER, which adds the predicate over arrays in
# NAME_many.cpp and installs with NAME.h as the Development component. The
# program's main is weak in that object, so that a program linking the
# library brings its own.
function(orvane_quessel_add_tool name)
  set(src ${CMAKE_CURRENT_SOURCE_DIR})
  get_filename_component(folder ${src} NAME)
  set_property(GLOBAL APPEND PROPERTY ORVANE_QUESSEL_TOOL_NAMES ${name})
  add_library(${name}_object OBJECT ${name}.cpp)
  target_link_libraries(${name}_object PRIVATE orvane_quessel_cli)
  orvane_quessel_use_options(${name}_object)
  set_target_properties(${name}_object PROPERTIES POSITION_INDEPENDENT_CODE ON)

  add_executable(${name} $<TARGET_OBJECTS:${name}_object>)
  target_link_libraries(${name} PRIVATE orvane_quessel_options)

  set(lib orvane_quessel_${folder})
  add_library(${lib} STATIC $<TARGET_OBJECTS:${name}_object> ${name}_many.cpp)
  add_library(orvane_quessel::${folder} ALIAS ${lib})
  target_sources(${lib} PUBLIC FILE_SET HEADERS BASE_DIRS ${src} FILES ${src}/${name}.h)
  # Highway includes the kernel again for each target, from this folder;
  # the SIMD machinery's headers and definitions stay out of the exported
  # targets.
  set(simd orvane_quessel_simd)
  target_include_directories(${lib} PRIVATE ${src}
    $<TARGET_PROPERTY:${simd},INTERFACE_INCLUDE_DIRECTORIES>)
  target_compile_definitions(${lib} PRIVATE $<TARGET_PROPERTY:${simd},INTERFACE_COMPILE_DEFINITIONS>)
  target_link_libraries(${lib} PRIVATE m)
  orvane_quessel_use_options(${lib})
  set_target_properties(${lib} PROPERTIES
    OUTPUT_NAME ${name} EXPORT_NAME ${folder} POSITION_INDEPENDENT_CODE ON)
  if(ORVANE_QUESSEL_INSTALL)
    install(TARGETS ${lib} EXPORT orvane_quessel_targets
            ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT Development
            FILE_SET HEADERS DESTINATION ${CMAKE_INSTALL_INCLUDEDIR} COMPONENT Development)
  endif()

  set(empty_argv)
  if(orvane_quessel_testing)
    # The program's main, run with an argument vector that lacks even its
    # name.
    add_executable(${name}_empty_argv ${PROJECT_SOURCE_DIR}/tests/empty_argv.cpp)
    target_compile_definitions(${name}_empty_argv PRIVATE TOOL_SOURCE="${src}/${name}.cpp")
    target_include_directories(${name}_empty_argv PRIVATE ${src})
    target_link_libraries(${name}_empty_argv PRIVATE orvane_quessel_cli orvane_quessel_options)
    set(empty_argv $<TARGET_FILE:${name}_empty_argv>)
  endif()
  orvane_quessel_program(${name} ARGS ${empty_argv})
endfunction()
