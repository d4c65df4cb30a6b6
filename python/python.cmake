# The Python package orvane_quessel: the predicates as numpy ufuncs, built
# from the libraries and so with the programs' own options, and a command
# that answers a file of questions. Included at the top level; the build
# tree's package is build/python/orvane_quessel.
set(ORVANE_QUESSEL_PYTHON AUTO CACHE STRING
    "Build the Python package: AUTO where a Python 3 with NumPy and its headers is found, ON to require it, OFF")
set_property(CACHE ORVANE_QUESSEL_PYTHON PROPERTY STRINGS AUTO ON OFF)
set(python_dir ${CMAKE_CURRENT_LIST_DIR})

# What an interpreter lacks to build the package; nothing printed if none.
set(python_lacks [[
import importlib.util, os, sysconfig
include = sysconfig.get_paths()["include"]
print(" and ".join(what for what, there in (
    ("NumPy", importlib.util.find_spec("numpy")),
    ("Python's headers", os.path.isfile(os.path.join(include, "Python.h"))))
    if not there), end="")
]])
function(python_usable result candidate)
  execute_process(COMMAND ${candidate} -c "${python_lacks}"
                  OUTPUT_VARIABLE lacks RESULT_VARIABLE failed ERROR_QUIET)
  if(failed OR lacks)
    set_property(GLOBAL APPEND PROPERTY python_rejected "${candidate} lacks ${lacks}")
    set(${result} FALSE PARENT_SCOPE)
  endif()
endfunction()

set(python_missing "")
if(ORVANE_QUESSEL_PYTHON STREQUAL "OFF")
  set(python_missing "ORVANE_QUESSEL_PYTHON is OFF")
elseif(CMAKE_CROSSCOMPILING)
  set(python_missing "it is cross-built, and no interpreter here could load it")
elseif(ORVANE_QUESSEL_SANITIZE)
  set(python_missing "the interpreter would have to load the sanitizers' runtime first")
else()
  # The python3 first on the PATH may be another interpreter without NumPy
  # (a pyenv shim, say): take the first that has what the package needs.
  if(Python3_EXECUTABLE)
    set(ORVANE_QUESSEL_PYTHON3 ${Python3_EXECUTABLE})
    python_usable(usable ${Python3_EXECUTABLE})
    if(DEFINED usable)
      set(ORVANE_QUESSEL_PYTHON3 NOTFOUND)
    endif()
  else()
    find_program(ORVANE_QUESSEL_PYTHON3 NAMES python3 NAMES_PER_DIR
                 VALIDATOR python_usable
                 DOC "The Python 3 with NumPy that the Python package is built for")
  endif()
  if(ORVANE_QUESSEL_PYTHON3)
    set(Python3_EXECUTABLE ${ORVANE_QUESSEL_PYTHON3})
    find_package(Python3 COMPONENTS Interpreter Development.Module NumPy)
  endif()
  if(NOT Python3_NumPy_FOUND OR NOT Python3_Development.Module_FOUND)
    get_property(rejected GLOBAL PROPERTY python_rejected)
    list(JOIN rejected "; " rejected)
    set(python_missing "no python3 with NumPy and Python's headers (Debian: python3-dev, python3-numpy)")
    if(rejected)
      string(APPEND python_missing ": ${rejected}")
    endif()
  endif()
endif()

if(python_missing)
  if(ORVANE_QUESSEL_PYTHON STREQUAL "ON")
    message(FATAL_ERROR "ORVANE_QUESSEL_PYTHON is ON, but the Python package cannot be built: ${python_missing}")
  endif()
  message(STATUS "Python package not built, since ${python_missing}")
  # A build that could have it, but for what this machine lacks, says so
  # in its tests too.
  if(orvane_quessel_testing AND python_missing MATCHES "^no python3")
    add_test(NAME python COMMAND sh -c "echo \"skipped: $0\"; exit 77" "${python_missing}")
    set_tests_properties(python PROPERTIES SKIP_RETURN_CODE 77)
  endif()
  return()
endif()
message(STATUS "Python package built for ${Python3_EXECUTABLE} (Python ${Python3_VERSION}, NumPy ${Python3_NumPy_VERSION})")

set(package ${PROJECT_BINARY_DIR}/python/orvane_quessel)
Python3_add_library(orvane_quessel_ufuncs MODULE WITH_SOABI ${python_dir}/ufuncs.cpp)
# The programs' options. Debian wants a shared object to name the C
# library, which its compiler's default --as-needed leaves out of one that
# calls only libm; named by its file, since -lc, through libc.so's linker
# script, still left it out.
target_link_libraries(orvane_quessel_ufuncs PRIVATE orvane_quessel_route orvane_quessel::approach
  orvane_quessel::radar orvane_quessel_options Python3::NumPy
  -Wl,--push-state,--no-as-needed -l:libc.so.6 -Wl,--pop-state)
target_compile_definitions(orvane_quessel_ufuncs PRIVATE
  ORVANE_QUESSEL_VERSION="${PROJECT_VERSION}")
target_compile_options(orvane_quessel_ufuncs PRIVATE -fvisibility=hidden)
target_link_options(orvane_quessel_ufuncs PRIVATE
  LINKER:--version-script=${python_dir}/ufuncs.map)
set_property(TARGET orvane_quessel_ufuncs APPEND PROPERTY LINK_DEPENDS ${python_dir}/ufuncs.map)
set_target_properties(orvane_quessel_ufuncs PROPERTIES
  OUTPUT_NAME _ufuncs LIBRARY_OUTPUT_DIRECTORY ${package})
set(python_sources __init__.py __main__.py)
foreach(file IN LISTS python_sources)
  configure_file(${python_dir}/orvane_quessel/${file} ${package}/${file} COPYONLY)
endforeach()
list(TRANSFORM python_sources PREPEND ${python_dir}/orvane_quessel/)

# Where this interpreter looks for packages under a prefix: on Debian,
# /usr/lib/python3/dist-packages for its own packages and
# /usr/local/lib/python3.X/dist-packages for local ones; elsewhere, and for
# ~/.local, PREFIX/lib/python3.X/site-packages. Chosen when installing,
# since that is when the prefix is known.
execute_process(COMMAND ${Python3_EXECUTABLE} -c [[
import os, sys, sysconfig
schemes = sysconfig.get_scheme_names()
def platlib(scheme, base):
    if scheme not in schemes:
        return ""
    vars = {"base": base, "platbase": base}
    return sysconfig.get_path("platlib", scheme, vars if base else None)
user = os.path.relpath(sysconfig.get_path("platlib", "posix_user"), os.path.expanduser("~"))
print(platlib("deb_system", None), platlib("posix_local", None),
      platlib("posix_prefix", "/P")[3:], user, ":".join(filter(None, sys.path)), sep="\n")
]] OUTPUT_VARIABLE python_places OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
string(REPLACE "\n" ";" python_places "${python_places}")
list(GET python_places 0 python_debian)
list(GET python_places 1 python_local)
list(GET python_places 2 python_prefix)
list(GET python_places 3 python_user)
list(GET python_places 4 python_path)
set(python_package_dir [[
  if(CMAKE_INSTALL_PREFIX STREQUAL "/usr" AND NOT "@python_debian@" STREQUAL "")
    set(orvane_quessel_python_dir "@python_debian@")
  elseif(CMAKE_INSTALL_PREFIX STREQUAL "/usr/local" AND NOT "@python_local@" STREQUAL "")
    set(orvane_quessel_python_dir "@python_local@")
  else()
    set(orvane_quessel_python_dir "${CMAKE_INSTALL_PREFIX}/@python_prefix@")
  endif()
]])
string(CONFIGURE "${python_package_dir}" python_package_dir @ONLY)
if(ORVANE_QUESSEL_INSTALL)
  orvane_quessel_note_made(note OWN [[${orvane_quessel_python_dir}/orvane_quessel]]
                           ${CMAKE_INSTALL_DATAROOTDIR}/doc/python3-orvane-quessel)
  install(CODE "${python_package_dir}${note}
  file(INSTALL ${python_sources} $<TARGET_FILE:orvane_quessel_ufuncs>
       DESTINATION \"\${orvane_quessel_python_dir}/orvane_quessel\")
  if(CMAKE_INSTALL_DO_STRIP)
    execute_process(COMMAND \"${CMAKE_STRIP}\" --strip-unneeded
      \"\$ENV{DESTDIR}\${orvane_quessel_python_dir}/orvane_quessel/$<TARGET_FILE_NAME:orvane_quessel_ufuncs>\"
      COMMAND_ERROR_IS_FATAL ANY)
  endif()
  string(REPLACE : \";\" path [[${python_path}]])
  list(FIND path \"\${orvane_quessel_python_dir}\" found)
  if(\"\$ENV{DESTDIR}\" STREQUAL \"\" AND found EQUAL -1 AND
     NOT orvane_quessel_python_dir STREQUAL \"\$ENV{HOME}/${python_user}\")
    message(STATUS \"${Python3_EXECUTABLE} does not look in \${orvane_quessel_python_dir}: put it on PYTHONPATH to import orvane_quessel\")
  endif()" COMPONENT Python)
endif()

if(NOT orvane_quessel_testing)
  return()
endif()
# dask is needed by its test alone.
execute_process(COMMAND ${Python3_EXECUTABLE} -c "import dask.array, distributed"
                RESULT_VARIABLE no_dask OUTPUT_QUIET ERROR_QUIET)
if(no_dask)
  set(no_dask "dask not found (Debian: python3-dask, python3-distributed)")
  if(ORVANE_QUESSEL_PYTHON STREQUAL "ON")
    message(FATAL_ERROR "ORVANE_QUESSEL_PYTHON is ON, but ${no_dask}")
  endif()
  message(STATUS "${no_dask}: only the dask test is skipped")
endif()
# So is hypothesis, by the test of every layout.
execute_process(COMMAND ${Python3_EXECUTABLE} -c "import hypothesis"
                RESULT_VARIABLE no_hypothesis OUTPUT_QUIET ERROR_QUIET)
if(no_hypothesis)
  set(no_hypothesis "hypothesis not found (Debian: python3-hypothesis)")
  if(ORVANE_QUESSEL_PYTHON STREQUAL "ON")
    message(FATAL_ERROR "ORVANE_QUESSEL_PYTHON is ON, but ${no_hypothesis}")
  endif()
  message(STATUS "${no_hypothesis}: only the layouts test is skipped")
endif()
# Like the programs: libc and libm alone, and nothing exported but the
# module's init function, none of the predicates of the libraries it holds.
add_test(NAME python_lean COMMAND bash ${PROJECT_SOURCE_DIR}/tests/lean_test.sh ${READELF}
         $<TARGET_FILE:orvane_quessel_ufuncs>)
set_tests_properties(python_lean PROPERTIES SKIP_RETURN_CODE 77 ENVIRONMENT EXPORTS=PyInit__ufuncs)
set(python_env PYTHONPATH=${PROJECT_BINARY_DIR}/python PYTHONDONTWRITEBYTECODE=1
    STRACE=$<$<BOOL:${STRACE}>:${STRACE}> ORVANE_QUESSEL_VERSION=${PROJECT_VERSION})
foreach(group ufuncs layouts dask)
  add_test(NAME python_${group}
           COMMAND ${Python3_EXECUTABLE} ${PROJECT_SOURCE_DIR}/tests/python_test.py ${group})
  set_tests_properties(python_${group} PROPERTIES SKIP_RETURN_CODE 77 ENVIRONMENT "${python_env}")
endforeach()
# The file route's table, as the program orvane-quessel has it.
add_test(NAME python_file_route
         COMMAND bash ${PROJECT_SOURCE_DIR}/many/orvane-quessel_test.sh --python ${Python3_EXECUTABLE})
set_tests_properties(python_file_route PROPERTIES ENVIRONMENT "${python_env}")
