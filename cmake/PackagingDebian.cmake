# The Debian package (CPack's DEB generator): the Linux install, plus what a
# Debian package needs and an archive does not (component "debian", packed
# only into the .deb): the copyright file, the changelog and the polkit action
# that names a start as administrator (packaging/org.cdflash.cdflash.policy).
set(CDFLASH_DEBIAN_COMPONENT debian)
set(CDFLASH_MAINTAINER "The cdflash developers <cdflash@example.org>")

# A native package's changelog, compressed as Debian policy asks (gzip -9n:
# no name or time in the header, so the same sources give the same bytes).
# Its date is SOURCE_DATE_EPOCH's when set (scripts/release.sh sets it).
string(TIMESTAMP CDFLASH_CHANGELOG_DATE "%a, %d %b %Y %H:%M:%S +0000" UTC)
configure_file(packaging/changelog.in ${CMAKE_BINARY_DIR}/debian/changelog @ONLY)
execute_process(COMMAND gzip -9nc ${CMAKE_BINARY_DIR}/debian/changelog
                OUTPUT_FILE ${CMAKE_BINARY_DIR}/debian/changelog.gz COMMAND_ERROR_IS_FATAL ANY)

install(FILES ${CMAKE_BINARY_DIR}/debian/changelog.gz DESTINATION ${CMAKE_INSTALL_DOCDIR}
        COMPONENT ${CDFLASH_DEBIAN_COMPONENT} EXCLUDE_FROM_ALL)
install(FILES LICENSE DESTINATION ${CMAKE_INSTALL_DOCDIR} RENAME copyright
        COMPONENT ${CDFLASH_DEBIAN_COMPONENT} EXCLUDE_FROM_ALL)
install(FILES packaging/org.cdflash.cdflash.policy DESTINATION ${CMAKE_INSTALL_DATADIR}/polkit-1/actions
        COMPONENT ${CDFLASH_DEBIAN_COMPONENT} EXCLUDE_FROM_ALL)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)  # cdflash_VERSION_ARCH.deb
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${CDFLASH_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The libraries the program links, as dpkg-shlibdeps finds them.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# pkexec starts a flasher as administrator; without it the flasher shows the
# command to run instead.
set(CPACK_DEBIAN_PACKAGE_SUGGESTS pkexec)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_PACKAGE_DESCRIPTION [[
Each copy of the program is a flasher for one drive model and one firmware
revision: it carries the firmware image and finds the drives it may update.
It writes the image into the drive's memory, reads it back and compares it,
and only then lets the drive program its flash.
The installed program is a template: it builds flashers from a model table
and firmware BIN files.]])
