# The Debian package: `cmake --build build --target package` (or `cpack -G DEB` in build/)
# writes velloro_<version>_amd64.deb from the installed tree (cmake/install.cmake).
if(NOT TARGET velloro OR VELLORO_SANITIZE)
    return()  # a package without the program, or with sanitizers in it, is no package
endif()

set(VELLORO_MAINTAINER "Velloro maintainers <maintainers@users.noreply.c-seed-96bd11d5.example>"
    CACHE STRING "Maintainer field of the Debian package")

# Debian wants its changelog with the package, gzip'd without a time stamp; the top entry must be
# this version.
file(STRINGS ${PROJECT_SOURCE_DIR}/packaging/changelog velloro_changelog_top LIMIT_COUNT 1)
if(NOT velloro_changelog_top MATCHES "^velloro \\(${PROJECT_VERSION}\\) ")
    message(WARNING "packaging/changelog does not start with version ${PROJECT_VERSION}")
endif()
set(velloro_changelog_gz ${PROJECT_BINARY_DIR}/packaging/changelog.gz)
add_custom_command(OUTPUT ${velloro_changelog_gz}
                   COMMAND gzip -9 -n -c ${PROJECT_SOURCE_DIR}/packaging/changelog > ${velloro_changelog_gz}
                   DEPENDS ${PROJECT_SOURCE_DIR}/packaging/changelog VERBATIM)
add_custom_target(velloro_changelog ALL DEPENDS ${velloro_changelog_gz})
install(FILES ${velloro_changelog_gz} DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/velloro)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME velloro)
set(CPACK_PACKAGE_VENDOR "The Velloro developers")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "${VELLORO_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "back up and restore a phone's contacts and SMS messages")
# Read here rather than named as CPACK_PACKAGE_DESCRIPTION_FILE, which CPack escapes for XML.
file(READ ${PROJECT_SOURCE_DIR}/packaging/description CPACK_DEBIAN_PACKAGE_DESCRIPTION)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${VELLORO_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "${VELLORO_HOMEPAGE}")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
