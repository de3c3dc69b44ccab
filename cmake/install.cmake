# What `cmake --install` puts where: the program (with quarnel-skm beside it), its desktop entry
# and icon, so that it shows in a Linux desktop's application menu, the file type of .skm files
# that lets file managers open them with it, the two manual pages, and the licence and the page
# for modders beside the documentation, with the JSON Schema of the missions as JSON (a copy of what
# `quarnel-skm schema` prints, which the skm tests keep equal to it).
include(GNUInstallDirs)

install(TARGETS quarnel quarnel-skm RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${PROJECT_SOURCE_DIR}/resources/quarnel.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${PROJECT_SOURCE_DIR}/resources/quarnel-mime.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages RENAME quarnel.xml)
install(FILES ${PROJECT_SOURCE_DIR}/resources/icons/quarnel.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES ${PROJECT_SOURCE_DIR}/resources/quarnel.1 ${PROJECT_SOURCE_DIR}/resources/quarnel-skm.1
        DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${PROJECT_SOURCE_DIR}/LICENSE ${PROJECT_SOURCE_DIR}/README.md
              ${PROJECT_SOURCE_DIR}/docs/missions-as-text.md
              ${PROJECT_SOURCE_DIR}/docs/quarnel-skm-mission.schema.json
        DESTINATION ${CMAKE_INSTALL_DOCDIR})
