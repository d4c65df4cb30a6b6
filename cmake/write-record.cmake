# At install time, last: writes the record of this install into
# record_dir (relative to the prefix), keeping what an earlier install
# into this prefix recorded, since its folders stay this project's to
# remove, and puts remove_script beside it. CMake's own manifest in
# build_dir, rewritten by every install, is removed first, so that an
# install as root leaves none that another user's install could not
# replace.
set(manifest install_manifest.txt)
if(CMAKE_INSTALL_COMPONENT)
  set(manifest install_manifest_${CMAKE_INSTALL_COMPONENT}.txt)
endif()
file(REMOVE "${build_dir}/${manifest}")
set(here "${CMAKE_INSTALL_PREFIX}/${record_dir}")
file(INSTALL "${remove_script}" DESTINATION "${here}")
set(record "$ENV{DESTDIR}${here}/installed.txt")
set(lines)
if(EXISTS "${record}")
  file(STRINGS "${record}" lines)
endif()
# The manifest names each file where it will be, without DESTDIR.
foreach(file IN LISTS CMAKE_INSTALL_MANIFEST_FILES)
  list(APPEND lines "file ${file}")
endforeach()
list(REMOVE_DUPLICATES orvane_quessel_made)
foreach(dir IN LISTS orvane_quessel_made)
  list(APPEND lines "made ${dir}")
endforeach()
list(REMOVE_DUPLICATES lines)
list(JOIN lines "\n" lines)
file(WRITE "${record}" "${lines}\n")
if(NOT "$ENV{DESTDIR}" STREQUAL "")
  message(STATUS "Once in place, to remove it: cmake -P ${here}/remove.cmake")
else()
  # Files that root put in folders that root made, only root removes.
  execute_process(COMMAND id -u OUTPUT_VARIABLE uid OUTPUT_STRIP_TRAILING_WHITESPACE)
  if(uid STREQUAL "0")
    message(STATUS "To remove it, as root like this install: cmake -P ${here}/remove.cmake")
  else()
    message(STATUS "To remove it: cmake -P ${here}/remove.cmake")
  endif()
endif()
