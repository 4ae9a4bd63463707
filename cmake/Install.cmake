# What `cmake --install` puts in place: the game, the two tools, their manual pages (which
# carry the project's version) and the documents. Nothing test- or benchmark-related. On
# Windows everything goes flat into one folder, as a program unpacked from a zip is used there,
# and there are no manual pages.
if(WIN32)
  install(TARGETS mazecast mazecast-render mazecast-headless RUNTIME DESTINATION .)
  install(FILES README.md LICENSE DESTINATION .)
  return()
endif()

include(GNUInstallDirs)
foreach(page mazecast.6 mazecast-render.1 mazecast-headless.1)
  configure_file(docs/man/${page}.in ${PROJECT_BINARY_DIR}/man/${page} @ONLY)
endforeach()
install(TARGETS mazecast mazecast-render mazecast-headless
  RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${PROJECT_BINARY_DIR}/man/mazecast.6 DESTINATION ${CMAKE_INSTALL_MANDIR}/man6)
install(FILES ${PROJECT_BINARY_DIR}/man/mazecast-render.1
  ${PROJECT_BINARY_DIR}/man/mazecast-headless.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES README.md LICENSE DESTINATION ${CMAKE_INSTALL_DOCDIR})
