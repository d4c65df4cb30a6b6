# Removes what the install beside this script put into its prefix, as
# installed.txt records it: the files, Python's caches of the modules among
# them, and the folders that install made, once they are empty. What it
# cannot remove it names, with the reason, and it then keeps the record and
# exits 1, so that a second try with the rights it lacked finishes the job.
# Run: cmake -P PREFIX/share/orvane-quessel/remove.cmake
cmake_minimum_required(VERSION 3.25)
set(record "${CMAKE_CURRENT_LIST_DIR}/installed.txt")
if(NOT EXISTS "${record}")
  message(FATAL_ERROR "${record} is missing: nothing here to remove")
endif()
file(STRINGS "${record}" lines)
set(files)
set(made)
foreach(line IN LISTS lines)
  if(line MATCHES "^file (.*)$")
    list(APPEND files "${CMAKE_MATCH_1}")
    if(line MATCHES "^file (.*)/([^/]*)\\.py$")
      file(GLOB caches "${CMAKE_MATCH_1}/__pycache__/${CMAKE_MATCH_2}.*.pyc")
      list(APPEND files ${caches})
      list(APPEND made "${CMAKE_MATCH_1}/__pycache__")
    endif()
  elseif(line MATCHES "^made (.*)$")
    list(APPEND made "${CMAKE_MATCH_1}")
  endif()
endforeach()

# file(REMOVE) passes over what it may not remove; rm and rmdir say why.
set(failed)
function(take what path)
  message(STATUS "Removing: ${path}")
  execute_process(COMMAND ${what} -- "${path}" RESULT_VARIABLE status
                  ERROR_VARIABLE why ERROR_STRIP_TRAILING_WHITESPACE)
  if(NOT status EQUAL 0)
    string(REGEX REPLACE "^.*: " "" why "${why}")
    set(failed ${failed} "${path}: ${why}" PARENT_SCOPE)
  endif()
endfunction()

set(script "${CMAKE_CURRENT_LIST_DIR}/remove.cmake")
list(REMOVE_ITEM files "${record}" "${script}")
foreach(file IN LISTS files)
  if(EXISTS "${file}" OR IS_SYMLINK "${file}")
    take(rm "${file}")
  endif()
endforeach()
# The record goes last, and only once everything it names has gone.
if(NOT failed)
  foreach(file IN ITEMS "${record}" "${script}")
    take(rm "${file}")
  endforeach()
endif()
# A folder sorts after its parent: descending, each comes before it.
list(REMOVE_DUPLICATES made)
list(SORT made ORDER DESCENDING)
foreach(dir IN LISTS made)
  file(GLOB left LIST_DIRECTORIES true "${dir}/*" "${dir}/.*")
  if(IS_DIRECTORY "${dir}" AND NOT left)
    take(rmdir "${dir}")
  elseif(left AND NOT failed)
    message(STATUS "Keeping: ${dir}/, which holds what this install did not put there")
  endif()
endforeach()
if(failed)
  list(JOIN failed "\n  " failed)
  message(FATAL_ERROR "could not remove:\n  ${failed}\n"
          "The record stays: run this again with the rights to remove them "
          "(as root, if root installed them).")
endif()
