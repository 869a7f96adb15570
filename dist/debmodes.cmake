# Run by cpack twice, so that a .deb's modes never follow the umask of whoever
# packs. Before it packs: the folders it created for the package's files, with
# mkdir's mode less the umask, become 755.
if(NOT CPACK_PACKAGE_FILES)
  file(GLOB_RECURSE entries LIST_DIRECTORIES true ${CPACK_TEMPORARY_INSTALL_DIRECTORY}/*)
  foreach(entry ${entries})
    if(IS_DIRECTORY ${entry} AND NOT IS_SYMLINK ${entry})
      file(CHMOD ${entry} DIRECTORY_PERMISSIONS
        OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
    endif()
  endforeach()
  return()
endif()

# Once the .deb is written: cpack gives its ar members (debian-binary,
# control.tar.gz, data.tar.xz) the modes of its scratch files; dpkg-deb
# writes 100644 for each. Every member header is 60 bytes: its mode field is
# 8 bytes from byte 40, its size 10 bytes from byte 48, and the member's data
# follows, padded to an even length.
set(mode ${CPACK_TOPLEVEL_DIRECTORY}/armode)
file(WRITE ${mode} "100644  ")
foreach(deb ${CPACK_PACKAGE_FILES})
  file(SIZE ${deb} end)
  set(at 8)  # after "!<arch>\n"
  while(at LESS end)
    file(READ ${deb} header OFFSET ${at} LIMIT 60)
    string(SUBSTRING "${header}" 48 10 size)
    string(STRIP "${size}" size)
    math(EXPR field "${at} + 40")
    execute_process(COMMAND dd of=${deb} bs=1 seek=${field} conv=notrunc status=none
      INPUT_FILE ${mode} RESULT_VARIABLE failed)
    if(failed OR NOT size MATCHES "^[0-9]+$")
      message(FATAL_ERROR "${deb}: cannot set the mode of the member at byte ${at}")
    endif()
    math(EXPR at "${at} + 60 + ${size} + ${size} % 2")
  endwhile()
endforeach()
