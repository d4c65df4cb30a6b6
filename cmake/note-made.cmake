# At install time: notes in orvane_quessel_made which of the folders in
# note_dirs (relative to the prefix, or absolute) and their parents do not
# exist yet. OWN folders (note_kind) are named after this project, so
# whichever install makes them made them; SHARED ones (bin, include) count
# only where this install finds them missing. A staged install cannot know
# which folders the live system lacks: it notes its OWN folders alone,
# never their parents, and no SHARED one.
if(note_kind STREQUAL "SHARED" AND NOT "$ENV{DESTDIR}" STREQUAL "")
  return()
endif()
foreach(dir IN LISTS note_dirs)
  if(NOT IS_ABSOLUTE "${dir}")
    set(dir "${CMAKE_INSTALL_PREFIX}/${dir}")
  endif()
  # Live, the walk ends at / at the latest; staged, where even / may be
  # missing, at the folder itself.
  while(NOT EXISTS "$ENV{DESTDIR}${dir}")
    list(APPEND orvane_quessel_made "${dir}")
    get_filename_component(dir "${dir}" DIRECTORY)
    if(NOT "$ENV{DESTDIR}" STREQUAL "")
      break()
    endif()
  endwhile()
endforeach()
