# Installs a build into a fresh folder and checks that a desktop would find the program: the entry
# validates, its Exec names the installed program, its Icon the installed icon, and the desktop's
# databases built from the installed files give .skm files their type and that type to Quarnel.
# Run with -DBUILD_DIR=<build> -DPREFIX=<empty folder to use> [-DVALIDATOR=<desktop-file-validate>]
# [-DMIME_DATABASE=<update-mime-database>] [-DDESKTOP_DATABASE=<update-desktop-database>].
file(REMOVE_RECURSE "${PREFIX}")
execute_process(COMMAND "${CMAKE_COMMAND}" --install "${BUILD_DIR}" --prefix "${PREFIX}"
                RESULT_VARIABLE result OUTPUT_QUIET)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "cmake --install failed: ${result}")
endif()

set(entry "${PREFIX}/share/applications/quarnel.desktop")
foreach(path "${PREFIX}/bin/quarnel" "${PREFIX}/bin/quarnel-skm" "${entry}"
             "${PREFIX}/share/icons/hicolor/scalable/apps/quarnel.svg"
             "${PREFIX}/share/doc/quarnel/LICENSE" "${PREFIX}/share/mime/packages/quarnel.xml"
             "${PREFIX}/share/man/man1/quarnel.1" "${PREFIX}/share/man/man1/quarnel-skm.1"
             "${PREFIX}/share/doc/quarnel/missions-as-text.md"
             "${PREFIX}/share/doc/quarnel/quarnel-skm-mission.schema.json")
    if(NOT EXISTS "${path}")
        message(FATAL_ERROR "not installed: ${path}")
    endif()
endforeach()
if(IS_DIRECTORY "${PREFIX}/bin/quarnel")
    message(FATAL_ERROR "bin/quarnel is a folder")
endif()

file(STRINGS "${entry}" exec_line REGEX "^Exec=")
file(STRINGS "${entry}" icon_line REGEX "^Icon=")
if(NOT exec_line STREQUAL "Exec=quarnel %f")
    message(FATAL_ERROR "the entry starts '${exec_line}', not the installed quarnel")
endif()
if(NOT icon_line STREQUAL "Icon=quarnel")
    message(FATAL_ERROR "the entry shows '${icon_line}', not the installed quarnel.svg")
endif()

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
    if(NOT result EQUAL 0 OR NOT handlers MATCHES "^${type}=quarnel\\.desktop[\\;]*$")
        message(FATAL_ERROR "the desktop database gives ${type} to '${handlers}', not quarnel.desktop")
    endif()
endif()
message(STATUS "installed and checked under ${PREFIX}")
