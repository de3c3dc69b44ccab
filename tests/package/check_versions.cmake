# The version is project(VERSION) in CMakeLists.txt; the Debian changelog's newest entry and the
# metainfo's newest release must be that version too, or the package and the software centres
# would name another one than the program's --version.
# Run with -DVERSION=<project version> -DSOURCE=<source folder>.
function(expect_version what file pattern)
    file(READ "${SOURCE}/${file}" text)
    if(NOT text MATCHES "${pattern}")
        message(FATAL_ERROR "${file} names no ${what}")
    endif()
    if(NOT CMAKE_MATCH_1 STREQUAL VERSION)
        message(FATAL_ERROR "${file}'s ${what} is ${CMAKE_MATCH_1}, the program's version ${VERSION}")
    endif()
endfunction()
expect_version("newest entry" debian/changelog "^quarnel \\(([^)]+)-[^-)]+\\) ")
expect_version("newest release" resources/quarnel.metainfo.xml.in
               "<releases>[ \n]*<release version=\"([^\"]+)\" date=\"[0-9-]+\">")
message(STATUS "version ${VERSION} in CMakeLists.txt, debian/changelog and the metainfo")
