# What every install carries besides the program (the copyright and changelog Debian wants in
# /usr/share/doc/orvessa), and the Debian package CPack makes from the install rules.

set(ORVESSA_DOC_DIR ${CMAKE_INSTALL_DATAROOTDIR}/doc/orvessa)
set(ORVESSA_MAINTAINER "The Orvessa developers <orvessa@example.org>" CACHE STRING "Maintainer named in the Debian package")

# The copyright file in Debian's machine-readable format, its licence text taken from LICENSE so
# that the two cannot differ.
file(READ ${CMAKE_SOURCE_DIR}/LICENSE licence)
string(FIND "${licence}" "Permission is hereby granted" permission)
if(permission EQUAL -1)
  message(FATAL_ERROR "LICENSE does not hold the MIT permission notice")
endif()
string(SUBSTRING "${licence}" ${permission} -1 licence)
string(STRIP "${licence}" licence)
string(REPLACE "\n\n" "\n.\n" licence "${licence}")
string(REPLACE "\n" "\n " licence "${licence}")
file(WRITE ${CMAKE_BINARY_DIR}/packaging/copyright
"Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/
Upstream-Name: orvessa
Upstream-Contact: ${ORVESSA_MAINTAINER}
Comment: The orvessa program has three libraries linked in, as Debian builds them
 (their sources and copyright files are in Debian's archive): libdeflate
 (Expat), libwebp (BSD-3-clause) and cairo, taken under the Mozilla Public
 License 1.1, the second of its two licences.

Files: *
Copyright: 2026 The Orvessa developers
License: Expat

License: Expat
 ${licence}
")

# The changelog must name the version being packaged.
file(STRINGS ${CMAKE_SOURCE_DIR}/packaging/changelog changelog_head LIMIT_COUNT 1)
if(NOT changelog_head MATCHES "^orvessa \\(${PROJECT_VERSION}\\) ")
  message(FATAL_ERROR "packaging/changelog starts with '${changelog_head}'; add an entry for ${PROJECT_VERSION}")
endif()
find_program(GZIP gzip REQUIRED)
add_custom_command(
  OUTPUT ${CMAKE_BINARY_DIR}/packaging/changelog.gz
  COMMAND ${GZIP} -9 -n -c ${CMAKE_SOURCE_DIR}/packaging/changelog > ${CMAKE_BINARY_DIR}/packaging/changelog.gz
  DEPENDS ${CMAKE_SOURCE_DIR}/packaging/changelog
  COMMENT "Compressing the changelog")
add_custom_target(orvessa_changelog ALL DEPENDS ${CMAKE_BINARY_DIR}/packaging/changelog.gz)
install(FILES ${CMAKE_BINARY_DIR}/packaging/copyright ${CMAKE_BINARY_DIR}/packaging/changelog.gz DESTINATION ${ORVESSA_DOC_DIR})

set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME orvessa)
set(CPACK_PACKAGE_VENDOR "The Orvessa developers")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "photo slideshow widget for a pull-down notification panel")
set(CPACK_PACKAGE_DESCRIPTION "Orvessa shows the photos of a home folder, or of any folder given to it,
in a notification panel's widget row: a cross-fade every few seconds, the
shuffle, pace and aspect settings of a preferences file, and a tap that brings
up rewind, play/pause and fast-forward controls.
The orvessa command runs the panel in a desktop window, records it headless
to PNG frames, takes single snapshots, runs scripted sessions that print JSON
state dumps, and explains which photos a folder would show and why.")
set(CPACK_PACKAGE_CONTACT "${ORVESSA_MAINTAINER}")
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS ${CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS})
set(CPACK_DEBIAN_PACKAGE_NAME orvessa)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${ORVESSA_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The runtime dependencies are read from the program's own links by dpkg-shlibdeps, never listed here.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
