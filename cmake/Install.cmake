# cmake --install: Halvorn with its predictor and database link in the layout
# that its start-up looks for (a bundle "Halvorn.app" beside the executable),
# a launcher on the PATH, a desktop entry and the ".tides" document type.
#
#   <prefix>/lib/halvorn/Halvorn
#   <prefix>/lib/halvorn/Halvorn.app/Contents/Resources/{tide, harmonics.tcd -> database}
#   <prefix>/bin/halvorn -> ../lib/halvorn/Halvorn
#   <prefix>/share/applications/halvorn.desktop
#   <prefix>/share/mime/packages/halvorn.xml

set(HALVORN_INSTALL_DIR lib/halvorn)
set(HALVORN_INSTALL_RESOURCES ${HALVORN_INSTALL_DIR}/Halvorn.app/Contents/Resources)

install(TARGETS Halvorn RUNTIME DESTINATION ${HALVORN_INSTALL_DIR})
install(TARGETS tide RUNTIME DESTINATION ${HALVORN_INSTALL_RESOURCES})
install(FILES ${PROJECT_SOURCE_DIR}/packaging/halvorn.desktop DESTINATION share/applications)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/halvorn.xml DESTINATION share/mime/packages)

# Links are made at install time, so they follow a prefix given to
# `cmake --install --prefix` and a DESTDIR staging. The launcher's link is
# relative (the staged tree stays whole); start-up resolves it to the real
# executable's folder.
install(CODE "
  set(root \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}\")
  file(MAKE_DIRECTORY \"\${root}/bin\")
  file(CREATE_LINK ../${HALVORN_INSTALL_DIR}/Halvorn \"\${root}/bin/halvorn\" SYMBOLIC)
  message(STATUS \"Installing: \${root}/bin/halvorn -> ../${HALVORN_INSTALL_DIR}/Halvorn\")
  file(CREATE_LINK \"${HALVORN_HARMONICS_DATABASE}\"
       \"\${root}/${HALVORN_INSTALL_RESOURCES}/harmonics.tcd\" SYMBOLIC)
  message(STATUS \"Installing: \${root}/${HALVORN_INSTALL_RESOURCES}/harmonics.tcd -> ${HALVORN_HARMONICS_DATABASE}\")
")

# The desktop's caches, when this machine has the tools; a staged install
# (DESTDIR, as for a package) leaves them to the package's own scripts.
install(CODE "
  if(\"\$ENV{DESTDIR}\" STREQUAL \"\")
    find_program(update_mime update-mime-database)
    if(update_mime)
      execute_process(COMMAND \${update_mime} \"\${CMAKE_INSTALL_PREFIX}/share/mime\")
    endif()
    find_program(update_desktop update-desktop-database)
    if(update_desktop)
      execute_process(COMMAND \${update_desktop} \"\${CMAKE_INSTALL_PREFIX}/share/applications\")
    endif()
  endif()
")
