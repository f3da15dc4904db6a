# cmake --install (and the Debian package): the two programs with their icons, desktop
# entries, file types, AppStream metadata, manual pages and bash completion.
include(GNUInstallDirs)
if(KP_BUILD_GUI)
  set(KP_PACKAGING ${PROJECT_SOURCE_DIR}/packaging)
  set(KP_PACKAGE_DOCS ${CMAKE_INSTALL_DATADIR}/doc/korvane-palisor)

  # Manual pages and the changelog are installed compressed, without a time stamp in the
  # gzip header, so that two builds of the same sources give the same files.
  find_program(KP_GZIP gzip REQUIRED)
  set(compressed)
  foreach(text korvane.1 palisor.1 changelog)
    set(output ${PROJECT_BINARY_DIR}/packaging/${text}.gz)
    add_custom_command(
      OUTPUT ${output}
      COMMAND ${CMAKE_COMMAND} -E make_directory ${PROJECT_BINARY_DIR}/packaging
      COMMAND ${KP_GZIP} -9nc ${KP_PACKAGING}/${text} > ${output}
      DEPENDS ${KP_PACKAGING}/${text}
      VERBATIM)
    list(APPEND compressed ${output})
  endforeach()
  add_custom_target(compressed_package_texts ALL DEPENDS ${compressed})

  install(TARGETS korvane palisor RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  install(FILES ${KP_PACKAGING}/korvane.desktop ${KP_PACKAGING}/palisor.desktop
          DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  install(FILES ${PROJECT_SOURCE_DIR}/builder/resources/korvane.png
                ${PROJECT_SOURCE_DIR}/patcher/resources/palisor.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/64x64/apps)
  install(FILES ${KP_PACKAGING}/korvane.svg ${KP_PACKAGING}/palisor.svg
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
  install(FILES ${KP_PACKAGING}/korvane-palisor.xml
          DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages)
  install(FILES ${KP_PACKAGING}/org.example.korvane.Korvane.metainfo.xml
                ${KP_PACKAGING}/org.example.korvane.Palisor.metainfo.xml
          DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
  install(FILES ${PROJECT_BINARY_DIR}/packaging/korvane.1.gz
                ${PROJECT_BINARY_DIR}/packaging/palisor.1.gz
          DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  install(FILES ${KP_PACKAGING}/completion/korvane ${KP_PACKAGING}/completion/palisor
          DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions)
  install(FILES ${KP_PACKAGING}/copyright ${PROJECT_BINARY_DIR}/packaging/changelog.gz
          DESTINATION ${KP_PACKAGE_DOCS})
endif()
