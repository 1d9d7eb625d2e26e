# Run by cpack on its staging tree before the Debian package is made: the man
# page and the changelog gzipped as Debian wants them (-9, no name or time).
file(GLOB_RECURSE docs
  ${CPACK_TEMPORARY_INSTALL_DIRECTORY}/*/share/man/man1/*.1
  ${CPACK_TEMPORARY_INSTALL_DIRECTORY}/*/share/man/it/man1/*.1
  ${CPACK_TEMPORARY_INSTALL_DIRECTORY}/*/share/doc/zarpello/changelog)
foreach(doc IN LISTS docs)
  execute_process(COMMAND gzip -9nf ${doc} RESULT_VARIABLE failed)
  if(failed)
    message(FATAL_ERROR "gzip ${doc} failed")
  endif()
endforeach()
