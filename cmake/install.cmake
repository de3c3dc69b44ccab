# What `cmake --install` puts where: the program (with quarnel-skm beside it), its desktop entry,
# AppStream metainfo and icons, so that it shows in a Linux desktop's application menu and software
# centre, the file type of .skm files with its own icon, that lets file managers open them with it,
# the two manual pages, and the documentation: the README, the players' guide with its pictures,
# the page for modders with the JSON Schema of the missions as JSON (a copy of what `quarnel-skm
# schema` prints, which the skm tests keep equal to it) and the licence.
include(GNUInstallDirs)

install(TARGETS quarnel quarnel-skm RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

# The texts of the desktop entry, the file type and the metainfo in each language of po/LINGUAS,
# merged in by msgfmt from po/<language>.po (scripts/update_translations.sh gathers them).
find_program(QUARNEL_MSGFMT msgfmt REQUIRED)
set(po ${PROJECT_SOURCE_DIR}/po)
file(STRINGS ${po}/LINGUAS languages REGEX "^[a-z]")
list(TRANSFORM languages REPLACE "(.+)" "${po}/\\1.po" OUTPUT_VARIABLE po_files)
set(translated ${CMAKE_CURRENT_BINARY_DIR}/translated)
# The desktop entry starts quarnel by name, from the PATH. A games folder (the Debian package's
# /usr/games) is on a user's PATH only when a login shell set it, so from there it is named whole.
set(desktop_template ${PROJECT_SOURCE_DIR}/resources/quarnel.desktop.in)
if(CMAKE_INSTALL_BINDIR STREQUAL "games")
    file(READ ${desktop_template} text)
    string(REPLACE "\nExec=quarnel " "\nExec=${CMAKE_INSTALL_FULL_BINDIR}/quarnel " text "${text}")
    set(desktop_template ${CMAKE_CURRENT_BINARY_DIR}/generated/quarnel.desktop.in)
    file(CONFIGURE OUTPUT ${desktop_template} CONTENT "${text}" @ONLY)
endif()
# template | msgfmt's kind | installed as
set(translated_files
    "${desktop_template}|desktop|applications/${QUARNEL_APP_ID}.desktop"
    "${PROJECT_SOURCE_DIR}/resources/quarnel.metainfo.xml.in|xml|metainfo/${QUARNEL_APP_ID}.metainfo.xml"
    "${PROJECT_SOURCE_DIR}/resources/quarnel-mime.xml.in|xml|mime/packages/quarnel.xml")
set(translated_outputs)
foreach(entry ${translated_files})
    string(REPLACE "|" ";" entry "${entry}")
    list(GET entry 0 template)
    list(GET entry 1 kind)
    list(GET entry 2 installed)
    get_filename_component(folder ${installed} DIRECTORY)
    set(output ${translated}/${installed})
    add_custom_command(OUTPUT ${output}
                       COMMAND ${CMAKE_COMMAND} -E make_directory ${translated}/${folder}
                       COMMAND ${QUARNEL_MSGFMT} --${kind} --template=${template} -d ${po} -o ${output}
                       DEPENDS ${template} ${po_files} ${po}/LINGUAS VERBATIM)
    install(FILES ${output} DESTINATION ${CMAKE_INSTALL_DATADIR}/${folder})
    list(APPEND translated_outputs ${output})
endforeach()
add_custom_target(translated_metadata ALL DEPENDS ${translated_outputs})

# The program's icon and the mission file's, drawn for each size the toolbar sizes have and for
# the larger ones software centres and file managers show, and scalable for the rest. The file's
# icon is named after its type, where file managers look for it.
set(icons ${CMAKE_INSTALL_DATADIR}/icons/hicolor)
set(mission_icon application-x-quarnel-skirmish)
foreach(size 16 24 32 48 64 128 256)
    install(FILES ${PROJECT_SOURCE_DIR}/resources/icons/${size}/quarnel.png
            DESTINATION ${icons}/${size}x${size}/apps RENAME ${QUARNEL_APP_ID}.png)
    install(FILES ${PROJECT_SOURCE_DIR}/resources/icons/${size}/mission.png
            DESTINATION ${icons}/${size}x${size}/mimetypes RENAME ${mission_icon}.png)
endforeach()
install(FILES ${PROJECT_SOURCE_DIR}/resources/icons/quarnel.svg DESTINATION ${icons}/scalable/apps
        RENAME ${QUARNEL_APP_ID}.svg)
install(FILES ${PROJECT_SOURCE_DIR}/resources/icons/mission.svg
        DESTINATION ${icons}/scalable/mimetypes RENAME ${mission_icon}.svg)

# The manual pages are written for section 1. Where the programs go to games/ (the Debian package,
# whose section is games, as Debian's policy has it), they are games' commands, whose pages are in
# section 6.
if(CMAKE_INSTALL_BINDIR STREQUAL "games")
    foreach(page quarnel quarnel-skm)
        file(READ ${PROJECT_SOURCE_DIR}/resources/${page}.1 text)
        string(REGEX REPLACE "\n\\.TH ([A-Z-]+) 1 (\"[^\"]*\" \"[^\"]*\") \"User Commands\""
                             "\n.TH \\1 6 \\2 \"Games\"" text "${text}")
        string(REGEX REPLACE "\n(\\.BR quarnel[^ ]*) \\(1\\)" "\n\\1 (6)" text "${text}")
        file(CONFIGURE OUTPUT ${CMAKE_CURRENT_BINARY_DIR}/man/${page}.6 CONTENT "${text}" @ONLY)
        install(FILES ${CMAKE_CURRENT_BINARY_DIR}/man/${page}.6 DESTINATION ${CMAKE_INSTALL_MANDIR}/man6)
    endforeach()
else()
    install(FILES ${PROJECT_SOURCE_DIR}/resources/quarnel.1 ${PROJECT_SOURCE_DIR}/resources/quarnel-skm.1
            DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endif()

# The documentation lies in one folder once installed, the README beside the pages it links to: its
# links into docs/ are made links into that folder. The notes for developers are not installed
# (players have no use for them): links to them lead to the project's copy.
file(READ ${PROJECT_SOURCE_DIR}/README.md readme)
string(REPLACE "](docs/development.md" "](https://codeberg.org/quarnel/quarnel/src/branch/main/docs/development.md"
       readme "${readme}")
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
              ${PROJECT_SOURCE_DIR}/docs/guide-recovery.png
              ${PROJECT_SOURCE_DIR}/docs/missions-as-text.md
              ${PROJECT_SOURCE_DIR}/docs/quarnel-skm-mission.schema.json
        DESTINATION ${CMAKE_INSTALL_DOCDIR})

# `cmake --build <build> --target uninstall` takes away what `cmake --install` put in place.
add_custom_target(uninstall COMMAND ${CMAKE_COMMAND} -DMANIFEST=${CMAKE_BINARY_DIR}/install_manifest.txt
                                    -P ${CMAKE_CURRENT_LIST_DIR}/uninstall.cmake VERBATIM)
