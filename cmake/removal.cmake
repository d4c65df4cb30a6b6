# Each install into a prefix records there, in share/orvane-quessel, the
# files it put there and the folders it made, beside remove.cmake, which
# removes exactly those, the folders only once empty. So installs into
# several prefixes, in any order and by different users, each remove their
# own. A staged install (DESTDIR) keeps its record in the stage, naming the
# paths its files will have once in place. Packages leave the record out:
# dpkg and tar keep their own.
set(orvane_quessel_removal_dir ${CMAKE_INSTALL_DATADIR}/orvane-quessel)

# Install code that notes which of the folders DIRS (relative to the
# prefix, or absolute when installing) and their parents do not exist yet.
# OWN folders are named after this project, so whichever install makes them
# made them; SHARED ones (bin, include) count only where this install finds
# them missing. A staged install cannot know which folders the live system
# lacks: it notes its OWN folders alone, never their parents.
function(orvane_quessel_note_made out kind)
  # Install scripts run without policies: if() takes TRUE for a variable.
  set(when [["$ENV{DESTDIR}" STREQUAL ""]])
  if(kind STREQUAL "OWN")
    set(when 1)
  endif()
  set(${out} "
    if(${when})
      foreach(dir ${ARGN})
        if(NOT IS_ABSOLUTE \"\${dir}\")
          set(dir \"\${CMAKE_INSTALL_PREFIX}/\${dir}\")
        endif()
        # Live, the walk ends at / at the latest; staged, where even /
        # may be missing, at the folder itself.
        while(NOT EXISTS \"\$ENV{DESTDIR}\${dir}\")
          list(APPEND orvane_quessel_made \"\${dir}\")
          get_filename_component(dir \"\${dir}\" DIRECTORY)
          if(NOT \"\$ENV{DESTDIR}\" STREQUAL \"\")
            break()
          endif()
        endwhile()
      endforeach()
    endif()" PARENT_SCOPE)
endfunction()

# The first install rule, for every component: notes the SHARED and OWN
# folders that follow each word.
function(orvane_quessel_removal_begin)
  cmake_parse_arguments(PARSE_ARGV 0 dirs "" "" "SHARED;OWN")
  orvane_quessel_note_made(shared SHARED ${dirs_SHARED})
  orvane_quessel_note_made(own OWN ${dirs_OWN} ${orvane_quessel_removal_dir})
  install(CODE "set(orvane_quessel_made)${shared}${own}" ALL_COMPONENTS)
endfunction()

# The last install rule: writes the record, keeping what an earlier
# install into this prefix recorded, since its folders stay this project's
# to remove. CMake's own manifest in the build tree, rewritten by every
# install, is removed first, so that an install as root leaves none that
# another user's install could not replace.
function(orvane_quessel_removal_end)
  install(CODE "
    set(manifest install_manifest.txt)
    if(CMAKE_INSTALL_COMPONENT)
      set(manifest install_manifest_\${CMAKE_INSTALL_COMPONENT}.txt)
    endif()
    file(REMOVE \"${PROJECT_BINARY_DIR}/\${manifest}\")
    set(here \"\${CMAKE_INSTALL_PREFIX}/${orvane_quessel_removal_dir}\")
    file(INSTALL \"${PROJECT_SOURCE_DIR}/cmake/remove.cmake\" DESTINATION \"\${here}\")
    set(record \"\$ENV{DESTDIR}\${here}/installed.txt\")
    set(lines)
    if(EXISTS \"\${record}\")
      file(STRINGS \"\${record}\" lines)
    endif()
    # The manifest names each file where it will be, without DESTDIR.
    foreach(file IN LISTS CMAKE_INSTALL_MANIFEST_FILES)
      list(APPEND lines \"file \${file}\")
    endforeach()
    list(REMOVE_DUPLICATES orvane_quessel_made)
    foreach(dir IN LISTS orvane_quessel_made)
      list(APPEND lines \"made \${dir}\")
    endforeach()
    list(REMOVE_DUPLICATES lines)
    list(JOIN lines \"\\n\" lines)
    file(WRITE \"\${record}\" \"\${lines}\\n\")
    if(NOT \"\$ENV{DESTDIR}\" STREQUAL \"\")
      message(STATUS \"Once in place, to remove it: cmake -P \${here}/remove.cmake\")
    else()
      # Files that root put in folders that root made, only root removes.
      execute_process(COMMAND id -u OUTPUT_VARIABLE uid OUTPUT_STRIP_TRAILING_WHITESPACE)
      if(uid STREQUAL \"0\")
        message(STATUS \"To remove it, as root like this install: cmake -P \${here}/remove.cmake\")
      else()
        message(STATUS \"To remove it: cmake -P \${here}/remove.cmake\")
      endif()
    endif()" COMPONENT Removal)
endfunction()
