# The version is project(VERSION) in CMakeLists.txt; the Debian changelog's newest entry and the
# metainfo's newest release must be that version too, or the package and the software centres
# would name another one than the program's --version.
# Run with -DVERSION=<project version> -DSOURCE=<source folder>.
file(STRINGS "${SOURCE}/debian/changelog" heading LIMIT_COUNT 1)
if(NOT heading MATCHES "^quarnel \\(([^)]+)-[^-)]+\\) ")
    message(FATAL_ERROR "debian/changelog starts with no Debian version: ${heading}")
endif()
if(NOT CMAKE_MATCH_1 STREQUAL VERSION)
    message(FATAL_ERROR "debian/changelog's newest entry is ${CMAKE_MATCH_1}, the program ${VERSION}")
endif()
file(READ "${SOURCE}/resources/quarnel.metainfo.xml.in" metainfo)
if(NOT metainfo MATCHES "<releases>[ \n]*<release version=\"([^\"]+)\" date=\"[0-9-]+\">")
    message(FATAL_ERROR "the metainfo has no newest release with a version and a date")
endif()
if(NOT CMAKE_MATCH_1 STREQUAL VERSION)
    message(FATAL_ERROR "the metainfo's newest release is ${CMAKE_MATCH_1}, the program ${VERSION}")
endif()
message(STATUS "version ${VERSION} in CMakeLists.txt, debian/changelog and the metainfo")
