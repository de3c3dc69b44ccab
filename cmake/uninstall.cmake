# Removes what the last `cmake --install` of this build put in place, as its install_manifest.txt
# lists it (with sudo for a system folder, as the install was made):
#     cmake --build build/release --target uninstall
# Folders the install made stay where another program may share them (share/icons/hicolor/...);
# those of Quarnel alone (share/doc/quarnel) go once empty. Refresh the desktop's databases
# afterwards as after the install (README.md).
# Run with -DMANIFEST=<build>/install_manifest.txt.
if(NOT EXISTS "${MANIFEST}")
    message(FATAL_ERROR "nothing to uninstall: ${MANIFEST} is missing (this build was not installed)")
endif()
file(STRINGS "${MANIFEST}" files)
set(folders)
foreach(file ${files})
    if(EXISTS "${file}" OR IS_SYMLINK "${file}")
        message(STATUS "Removing ${file}")
        file(REMOVE "${file}")
        if(EXISTS "${file}")
            message(FATAL_ERROR "could not remove ${file}")
        endif()
    endif()
    get_filename_component(folder "${file}" DIRECTORY)
    if(folder MATCHES "/doc/quarnel$")
        list(APPEND folders "${folder}")
    endif()
endforeach()
list(REMOVE_DUPLICATES folders)
foreach(folder ${folders})
    file(GLOB left "${folder}/*")
    if(IS_DIRECTORY "${folder}" AND NOT left)
        file(REMOVE_RECURSE "${folder}")
    endif()
endforeach()
