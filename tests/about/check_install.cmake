# Installs a build into a fresh folder and checks that a desktop would find the program: the entry
# validates, its Exec names the installed program, its Icon the installed icon, and the desktop's
# databases built from the installed files give .skm files their type and that type to Quarnel;
# the AppStream metainfo validates against the installed entry; the entry, the metainfo and the
# program's icon are named after the component ID; both icons come at every size; the entry, the
# file type and the metainfo carry every language of po/LINGUAS; the notes for developers stay out;
# and every page of the installed documentation links only to files installed beside it.
# Run with -DBUILD_DIR=<build> -DPREFIX=<empty folder to use> -DAPP_ID=<component ID>
# [-DVALIDATOR=<desktop-file-validate>]
# [-DMIME_DATABASE=<update-mime-database>] [-DDESKTOP_DATABASE=<update-desktop-database>]
# [-DAPPSTREAM=<appstreamcli>].
file(REMOVE_RECURSE "${PREFIX}")
execute_process(COMMAND "${CMAKE_COMMAND}" --install "${BUILD_DIR}" --prefix "${PREFIX}"
                RESULT_VARIABLE result OUTPUT_QUIET)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "cmake --install failed: ${result}")
endif()

set(entry "${PREFIX}/share/applications/${APP_ID}.desktop")
set(metainfo "${PREFIX}/share/metainfo/${APP_ID}.metainfo.xml")
foreach(path "${PREFIX}/bin/quarnel" "${PREFIX}/bin/quarnel-skm" "${entry}"
             "${PREFIX}/share/icons/hicolor/scalable/apps/${APP_ID}.svg"
             "${PREFIX}/share/doc/quarnel/LICENSE" "${PREFIX}/share/mime/packages/quarnel.xml"
             "${PREFIX}/share/man/man1/quarnel.1" "${PREFIX}/share/man/man1/quarnel-skm.1"
             "${PREFIX}/share/doc/quarnel/missions-as-text.md" "${PREFIX}/share/doc/quarnel/guide.md"
             "${PREFIX}/share/doc/quarnel/quarnel-skm-mission.schema.json"
             "${metainfo}")
    if(NOT EXISTS "${path}")
        message(FATAL_ERROR "not installed: ${path}")
    endif()
endforeach()
if(EXISTS "${PREFIX}/share/doc/quarnel/development.md")
    message(FATAL_ERROR "the notes for developers are installed with the players' documentation")
endif()
foreach(size 16x16 24x24 32x32 48x48 64x64 128x128 256x256 scalable)
    foreach(icon apps/${APP_ID} mimetypes/application-x-quarnel-skirmish)
        if(NOT EXISTS "${PREFIX}/share/icons/hicolor/${size}/${icon}.png"
           AND NOT EXISTS "${PREFIX}/share/icons/hicolor/${size}/${icon}.svg")
            message(FATAL_ERROR "no ${size} icon installed for ${icon}")
        endif()
    endforeach()
endforeach()
file(STRINGS "${PREFIX}/share/mime/packages/quarnel.xml" mime_icon REGEX "<icon name=")
if(NOT mime_icon MATCHES "\"application-x-quarnel-skirmish\"")
    message(FATAL_ERROR "the .skm type names no installed icon: '${mime_icon}'")
endif()

# Links from the installed pages to other files (not to addresses, not within the page) must find
# the file installed beside the page.
file(GLOB pages "${PREFIX}/share/doc/quarnel/*.md")
foreach(page ${pages})
    file(READ "${page}" text)
    # A square bracket in a list item keeps CMake from splitting the list: mark the links first.
    string(REPLACE "](" "<link>" text "${text}")
    string(REGEX MATCHALL "<link>[^)# ]+" links "${text}")
    foreach(link ${links})
        string(SUBSTRING "${link}" 6 -1 target)
        if(NOT target MATCHES "^[a-z]+:" AND NOT EXISTS "${PREFIX}/share/doc/quarnel/${target}")
            get_filename_component(name "${page}" NAME)
            message(FATAL_ERROR "the installed ${name} links to ${target}, which is not installed beside it")
        endif()
    endforeach()
endforeach()
if(IS_DIRECTORY "${PREFIX}/bin/quarnel")
    message(FATAL_ERROR "bin/quarnel is a folder")
endif()

file(STRINGS "${entry}" exec_line REGEX "^Exec=")
file(STRINGS "${entry}" icon_line REGEX "^Icon=")
if(NOT exec_line STREQUAL "Exec=quarnel %f")
    message(FATAL_ERROR "the entry starts '${exec_line}', not the installed quarnel")
endif()
if(NOT icon_line STREQUAL "Icon=${APP_ID}")
    message(FATAL_ERROR "the entry shows '${icon_line}', not the installed ${APP_ID}.svg")
endif()

# Each language of po/LINGUAS reaches the entry's description, the file type's comment and the
# metainfo's summary.
get_filename_component(source "${CMAKE_CURRENT_LIST_DIR}/../.." ABSOLUTE)
file(STRINGS "${source}/po/LINGUAS" languages REGEX "^[a-z]")
file(READ "${PREFIX}/share/mime/packages/quarnel.xml" mime)
file(READ "${metainfo}" meta)
foreach(language ${languages})
    file(STRINGS "${entry}" line REGEX "^Comment\\[${language}\\]=.")
    if(NOT line)
        message(FATAL_ERROR "the desktop entry has no Comment[${language}]")
    endif()
    if(NOT mime MATCHES "<comment xml:lang=.${language}.>[^<]" OR NOT meta MATCHES "<summary xml:lang=.${language}.>[^<]")
        message(FATAL_ERROR "the file type's comment or the metainfo's summary is not in '${language}'")
    endif()
endforeach()

if(VALIDATOR)
    execute_process(COMMAND "${VALIDATOR}" "${entry}" RESULT_VARIABLE result OUTPUT_VARIABLE out ERROR_VARIABLE out)
    if(NOT result EQUAL 0 OR NOT out STREQUAL "")
        message(FATAL_ERROR "desktop-file-validate: ${out}")
    endif()
endif()
set(type "application/x-quarnel-skirmish")
if(MIME_DATABASE)
    execute_process(COMMAND "${MIME_DATABASE}" "${PREFIX}/share/mime" RESULT_VARIABLE result ERROR_VARIABLE out)
    file(STRINGS "${PREFIX}/share/mime/globs2" globs REGEX ":${type}:")
    if(NOT result EQUAL 0 OR NOT globs MATCHES ":${type}:\\*\\.skm$")
        message(FATAL_ERROR "the MIME database gives *.skm no ${type}: ${result} ${out} '${globs}'")
    endif()
endif()
if(DESKTOP_DATABASE)
    execute_process(COMMAND "${DESKTOP_DATABASE}" "${PREFIX}/share/applications" RESULT_VARIABLE result)
    file(STRINGS "${PREFIX}/share/applications/mimeinfo.cache" handlers REGEX "^${type}=")
    string(REPLACE "." "\\." app_id_pattern "${APP_ID}")
    if(NOT result EQUAL 0 OR NOT handlers MATCHES "^${type}=${app_id_pattern}\\.desktop[\\;]*$")
        message(FATAL_ERROR "the desktop database gives ${type} to '${handlers}', not ${APP_ID}.desktop")
    endif()
endif()
if(APPSTREAM)
    # The file on its own, pedantically, then with the installed tree (its desktop entry, icons).
    execute_process(COMMAND "${APPSTREAM}" validate --no-net --pedantic "${metainfo}"
                    RESULT_VARIABLE result OUTPUT_VARIABLE out ERROR_VARIABLE out)
    if(NOT result EQUAL 0)
        message(FATAL_ERROR "appstreamcli validate: ${out}")
    endif()
    execute_process(COMMAND "${APPSTREAM}" validate-tree --no-net "${PREFIX}"
                    RESULT_VARIABLE result OUTPUT_VARIABLE out ERROR_VARIABLE out)
    if(NOT result EQUAL 0)
        message(FATAL_ERROR "appstreamcli validate-tree: ${out}")
    endif()
endif()
message(STATUS "installed and checked under ${PREFIX}")
