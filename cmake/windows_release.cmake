# The zip Windows users download: quarnel.exe and quarnel-skm.exe stripped, the modders' page on
# quarnel-skm and the JSON Schema of its JSON, the licence and a short README, and Qt's licence
# texts with the note on where Qt's source comes from (from scripts/windows_release.sh), every text
# but the schema with Windows' line endings (the schema is as quarnel-skm schema prints it).
set(QUARNEL_QT_LICENCES "" CACHE PATH "The static Qt's licence texts and source note")
if(NOT QUARNEL_QT_LICENCES)
    message(STATUS "No windows_zip target: QUARNEL_QT_LICENCES is not set (scripts/windows_release.sh sets it)")
    return()
endif()

set(stage ${CMAKE_BINARY_DIR}/zip)
set(zip ${CMAKE_BINARY_DIR}/quarnel-${PROJECT_VERSION}-windows-x64.zip)
file(REMOVE_RECURSE ${stage})

function(quarnel_windows_text source destination)
    file(READ ${source} text)
    string(REPLACE "\r\n" "\n" text "${text}")
    string(REPLACE "\n" "\r\n" text "${text}")
    file(WRITE ${destination} "${text}")
    set_property(DIRECTORY ${PROJECT_SOURCE_DIR} APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${source})
endfunction()

configure_file(${PROJECT_SOURCE_DIR}/resources/windows/README.txt.in ${stage}/README.txt @ONLY NEWLINE_STYLE CRLF)
quarnel_windows_text(${PROJECT_SOURCE_DIR}/LICENSE ${stage}/LICENSE.txt)
quarnel_windows_text(${PROJECT_SOURCE_DIR}/docs/missions-as-text.md ${stage}/missions-as-text.txt)
configure_file(${PROJECT_SOURCE_DIR}/docs/quarnel-skm-mission.schema.json ${stage}/quarnel-skm-mission.schema.json
               COPYONLY)
file(GLOB qt_texts ${QUARNEL_QT_LICENCES}/*.txt)
foreach(text ${qt_texts})
    get_filename_component(name ${text} NAME)
    quarnel_windows_text(${text} ${stage}/qt-licences/${name})
endforeach()
# The copy of Wine's MS Sans Serif that quarnel.exe draws with under Wine is under Wine's licence.
quarnel_windows_text(/usr/share/common-licenses/LGPL-2.1 ${stage}/wine-font-licence/LGPL-2.1.txt)

add_custom_command(OUTPUT ${zip}
    COMMAND ${CMAKE_STRIP} -o ${stage}/quarnel.exe $<TARGET_FILE:quarnel>
    COMMAND ${CMAKE_STRIP} -o ${stage}/quarnel-skm.exe $<TARGET_FILE:quarnel-skm>
    COMMAND ${CMAKE_COMMAND} -E rm -f ${zip}
    COMMAND ${CMAKE_COMMAND} -E chdir ${stage}
            ${CMAKE_COMMAND} -E tar cf ${zip} --format=zip quarnel.exe quarnel-skm.exe README.txt
            missions-as-text.txt quarnel-skm-mission.schema.json LICENSE.txt qt-licences wine-font-licence
    DEPENDS quarnel quarnel-skm ${stage}/README.txt
    VERBATIM)
add_custom_target(windows_zip DEPENDS ${zip})
