# What `cmake --install` puts where: the program (with quarnel-skm beside it), its desktop entry,
# AppStream metainfo and icons, so that it shows in a Linux desktop's application menu and software
# centre, the file type of .skm files with its own icon, that lets file managers open them with it,
# the two manual pages, and the documentation: the README, the players' guide with its pictures,
# the page for modders with the JSON Schema of the missions as JSON (a copy of what `quarnel-skm
# schema` prints, which the skm tests keep equal to it), the notes for developers and the licence.
include(GNUInstallDirs)

install(TARGETS quarnel quarnel-skm RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${PROJECT_SOURCE_DIR}/resources/quarnel.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
configure_file(${PROJECT_SOURCE_DIR}/resources/quarnel.metainfo.xml.in
               ${CMAKE_CURRENT_BINARY_DIR}/generated/quarnel.metainfo.xml @ONLY)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/generated/quarnel.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo RENAME page.codeberg.quarnel.quarnel.metainfo.xml)
install(FILES ${PROJECT_SOURCE_DIR}/resources/quarnel-mime.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages RENAME quarnel.xml)

# The program's icon and the mission file's, drawn for each size the toolbar sizes have (the icon
# theme wants 48 pixels at least), and scalable for the rest. The file's icon is named after its
# type, where file managers look for it.
set(icons ${CMAKE_INSTALL_DATADIR}/icons/hicolor)
set(mission_icon application-x-quarnel-skirmish)
foreach(size 16 24 32 48)
    install(FILES ${PROJECT_SOURCE_DIR}/resources/icons/${size}/quarnel.png
            DESTINATION ${icons}/${size}x${size}/apps)
    install(FILES ${PROJECT_SOURCE_DIR}/resources/icons/${size}/mission.png
            DESTINATION ${icons}/${size}x${size}/mimetypes RENAME ${mission_icon}.png)
endforeach()
install(FILES ${PROJECT_SOURCE_DIR}/resources/icons/quarnel.svg DESTINATION ${icons}/scalable/apps)
install(FILES ${PROJECT_SOURCE_DIR}/resources/icons/mission.svg
        DESTINATION ${icons}/scalable/mimetypes RENAME ${mission_icon}.svg)

install(FILES ${PROJECT_SOURCE_DIR}/resources/quarnel.1 ${PROJECT_SOURCE_DIR}/resources/quarnel-skm.1
        DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

# The documentation lies in one folder once installed, the README beside the pages it links to: its
# links into docs/ are made links into that folder.
file(READ ${PROJECT_SOURCE_DIR}/README.md readme)
string(REPLACE "](docs/" "](" readme "${readme}")
string(REPLACE "[docs/" "[" readme "${readme}")
set(installed_readme ${CMAKE_CURRENT_BINARY_DIR}/installed-doc/README.md)
if(EXISTS ${installed_readme})
    file(READ ${installed_readme} written)
endif()
if(NOT written STREQUAL readme)
    file(WRITE ${installed_readme} "${readme}")
endif()
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/README.md)
install(FILES ${PROJECT_SOURCE_DIR}/LICENSE ${installed_readme}
              ${PROJECT_SOURCE_DIR}/docs/guide.md ${PROJECT_SOURCE_DIR}/docs/screenshot.png
              ${PROJECT_SOURCE_DIR}/docs/guide-flight-group.png ${PROJECT_SOURCE_DIR}/docs/guide-teams.png
              ${PROJECT_SOURCE_DIR}/docs/missions-as-text.md ${PROJECT_SOURCE_DIR}/docs/development.md
              ${PROJECT_SOURCE_DIR}/docs/quarnel-skm-mission.schema.json
        DESTINATION ${CMAKE_INSTALL_DOCDIR})
