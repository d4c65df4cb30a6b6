# At install time: the package's files into the folder where this prefix's
# interpreter looks for packages, noted for the removal as this project's
# own; and a word where that interpreter would not look there.
if(CMAKE_INSTALL_PREFIX STREQUAL "/usr" AND NOT python_debian STREQUAL "")
  set(python_dir "${python_debian}")
elseif(CMAKE_INSTALL_PREFIX STREQUAL "/usr/local" AND NOT python_local STREQUAL "")
  set(python_dir "${python_local}")
else()
  set(python_dir "${CMAKE_INSTALL_PREFIX}/${python_prefix}")
endif()
set(note_kind OWN)
set(note_dirs "${python_dir}/orvane_quessel" "${python_doc}")
include("${CMAKE_CURRENT_LIST_DIR}/../cmake/note-made.cmake")
file(INSTALL ${python_files} DESTINATION "${python_dir}/orvane_quessel")
if(CMAKE_INSTALL_DO_STRIP)
  foreach(module IN LISTS python_files)
    if(module MATCHES "[.]so$")
      get_filename_component(module "${module}" NAME)
      execute_process(COMMAND "${strip}" --strip-unneeded
        "$ENV{DESTDIR}${python_dir}/orvane_quessel/${module}" COMMAND_ERROR_IS_FATAL ANY)
    endif()
  endforeach()
endif()
string(REPLACE : ";" path "${python_path}")
list(FIND path "${python_dir}" found)
if("$ENV{DESTDIR}" STREQUAL "" AND found EQUAL -1 AND
   NOT python_dir STREQUAL "$ENV{HOME}/${python_user}")
  message(STATUS "${python_executable} does not look in ${python_dir}: put it on PYTHONPATH to import orvane_quessel")
endif()
