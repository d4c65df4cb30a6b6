# Each install into a prefix records there, in share/orvane-quessel, the
# files it put there and the folders it made, beside remove.cmake, which
# removes exactly those, the folders only once empty. So installs into
# several prefixes, in any order and by different users, each remove their
# own. Packages leave the record out: dpkg and tar keep their own.
set(orvane_quessel_removal_dir ${CMAKE_INSTALL_DATADIR}/orvane-quessel)

# Install code that notes which of the folders DIRS (relative to the
# prefix, or absolute when installing) and their parents do not exist yet.
function(orvane_quessel_note_made out)
  set(${out} "
    foreach(dir ${ARGN})
      if(NOT IS_ABSOLUTE \"\${dir}\")
        set(dir \"\${CMAKE_INSTALL_PREFIX}/\${dir}\")
      endif()
      while(NOT EXISTS \"\$ENV{DESTDIR}\${dir}\")
        list(APPEND orvane_quessel_made \"\${dir}\")
        get_filename_component(dir \"\${dir}\" DIRECTORY)
      endwhile()
    endforeach()" PARENT_SCOPE)
endfunction()

# The first install rule, for every component: notes the folders DIRS.
function(orvane_quessel_removal_begin)
  orvane_quessel_note_made(note ${ARGN} ${orvane_quessel_removal_dir})
  install(CODE "set(orvane_quessel_made)${note}" ALL_COMPONENTS)
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
    if(\"\$ENV{DESTDIR}\" STREQUAL \"\")
      set(here \"\${CMAKE_INSTALL_PREFIX}/${orvane_quessel_removal_dir}\")
      set(lines)
      if(EXISTS \"\${here}/installed.txt\")
        file(STRINGS \"\${here}/installed.txt\" lines)
      endif()
      foreach(file IN LISTS CMAKE_INSTALL_MANIFEST_FILES)
        list(APPEND lines \"file \${file}\")
      endforeach()
      list(REMOVE_DUPLICATES orvane_quessel_made)
      foreach(dir IN LISTS orvane_quessel_made)
        list(APPEND lines \"made \${dir}\")
      endforeach()
      list(REMOVE_DUPLICATES lines)
      list(JOIN lines \"\\n\" lines)
      file(INSTALL \"${PROJECT_SOURCE_DIR}/cmake/remove.cmake\" DESTINATION \"\${here}\")
      file(WRITE \"\${here}/installed.txt\" \"\${lines}\\n\")
      message(STATUS \"To remove it: cmake -P \${here}/remove.cmake\")
    endif()" COMPONENT Removal)
endfunction()
