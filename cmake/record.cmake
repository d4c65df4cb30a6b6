# Each install into a prefix records there, in share/orvane-quessel, the
# files it put there and the folders it made, beside remove.cmake, which
# removes exactly those, the folders only once empty. So installs into
# several prefixes, in any order and by different users, each remove their
# own. A staged install (DESTDIR) keeps its record in the stage, naming the
# paths its files will have once in place. Packages leave the record out:
# dpkg and tar keep their own. What runs at install time is in the scripts
# beside this one; these functions make the rules that run them.
set(orvane_quessel_record_dir ${CMAKE_INSTALL_DATADIR}/orvane-quessel)

# An install rule, before any other, that notes which of the SHARED and OWN
# folders (relative to the prefix) and their parents do not exist yet
# (note-made.cmake).
function(orvane_quessel_record_begin)
  cmake_parse_arguments(PARSE_ARGV 0 dirs "" "" "SHARED;OWN")
  set(note ${CMAKE_CURRENT_FUNCTION_LIST_DIR}/note-made.cmake)
  install(CODE "set(orvane_quessel_made)
    set(note_kind SHARED)
    set(note_dirs ${dirs_SHARED})
    include(${note})
    set(note_kind OWN)
    set(note_dirs ${dirs_OWN} ${orvane_quessel_record_dir})
    include(${note})" ALL_COMPONENTS)
endfunction()

# The last install rule: writes the record (write-record.cmake) and puts the
# removal script beside it.
function(orvane_quessel_record_end)
  install(CODE "set(record_dir ${orvane_quessel_record_dir})
    set(build_dir [[${PROJECT_BINARY_DIR}]])
    set(remove_script [[${CMAKE_CURRENT_FUNCTION_LIST_DIR}/remove.cmake]])
    include([[${CMAKE_CURRENT_FUNCTION_LIST_DIR}/write-record.cmake]])" COMPONENT Removal)
endfunction()
