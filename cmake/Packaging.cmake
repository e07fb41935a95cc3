# What a release holds and how it is packed (CPack): the template program,
# the example model table and sample-BIN script, the README and the licence;
# on Linux also a desktop entry and an icon. Nothing of the simulator, the
# demo or the tests is installed, so none of it reaches a package.
#   Linux:   bin/cdflash, share/doc/cdflash/{examples/,README.md,LICENSE},
#            share/man/man1/cdflash.1.gz, share/applications, share/icons;
#            a .tar.gz and a .deb
#   Windows: one folder: cdflash.exe with cdflash.INI beside it; a .zip
set(CDFLASH_COMPONENT cdflash)
# Installing and packing build nothing but what they install: the test
# programs, whose discovery runs them under Wine, stay out of a release build.
# Build the program first (scripts/release.sh does).
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)

# Every install strips the program, `cmake --install` as much as a package:
# a template's size is that of every flasher built from it. Stripping is
# CMake's own rule of install(TARGETS), switched on here for all installs.
install(CODE "set(CMAKE_INSTALL_DO_STRIP TRUE)" COMPONENT ${CDFLASH_COMPONENT})

if(WIN32)
  install(TARGETS cdflash RUNTIME DESTINATION . COMPONENT ${CDFLASH_COMPONENT})
  install(FILES examples/cdflash.INI README.md DESTINATION . COMPONENT ${CDFLASH_COMPONENT})
  install(PROGRAMS examples/make-sample-bins.sh DESTINATION .
          COMPONENT ${CDFLASH_COMPONENT})
  install(FILES LICENSE DESTINATION . RENAME LICENSE.txt COMPONENT ${CDFLASH_COMPONENT})
  set(CPACK_GENERATOR ZIP)
  set(CPACK_SYSTEM_NAME win32)
else()
  include(GNUInstallDirs)
  install(TARGETS cdflash RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT ${CDFLASH_COMPONENT})
  # Where Debian packages keep examples, in every layout: build mode's table
  # search (src/builder/ModelTableSearch.h) finds the table there.
  install(FILES examples/cdflash.INI DESTINATION ${CMAKE_INSTALL_DOCDIR}/examples
          COMPONENT ${CDFLASH_COMPONENT})
  install(PROGRAMS examples/make-sample-bins.sh DESTINATION ${CMAKE_INSTALL_DOCDIR}/examples
          COMPONENT ${CDFLASH_COMPONENT})
  install(FILES README.md LICENSE DESTINATION ${CMAKE_INSTALL_DOCDIR} COMPONENT ${CDFLASH_COMPONENT})
  install(FILES packaging/cdflash.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications
          COMPONENT ${CDFLASH_COMPONENT})
  install(FILES packaging/cdflash.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps
          COMPONENT ${CDFLASH_COMPONENT})
  # The manual page, compressed as Debian policy asks (gzip -9n: the same
  # sources give the same bytes).
  configure_file(packaging/cdflash.1 ${CMAKE_BINARY_DIR}/man/cdflash.1 @ONLY)
  execute_process(COMMAND gzip -9nf ${CMAKE_BINARY_DIR}/man/cdflash.1 COMMAND_ERROR_IS_FATAL ANY)
  install(FILES ${CMAKE_BINARY_DIR}/man/cdflash.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1
          COMPONENT ${CDFLASH_COMPONENT})
  set(CPACK_GENERATOR TGZ DEB)
  set(CPACK_SYSTEM_NAME linux-${CMAKE_SYSTEM_PROCESSOR})
  include(cmake/PackagingDebian.cmake)
endif()

set(CPACK_PACKAGE_NAME cdflash)
set(CPACK_PACKAGE_VENDOR "The cdflash developers")
# The version as the program shows it (" Flash V1.043 ", --version).
set(CPACK_PACKAGE_VERSION ${CDFLASH_VERSION_TEXT})
set(CPACK_PACKAGE_FILE_NAME cdflash-${CDFLASH_VERSION_TEXT}-${CPACK_SYSTEM_NAME})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "firmware updater for ATAPI CD-RW drives")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
# Only our component: libraries built alongside (GoogleTest) bring install
# rules of their own. The Debian package adds its own files (cmake/CPackPerGenerator.cmake).
set(CPACK_INSTALL_CMAKE_PROJECTS "${CMAKE_BINARY_DIR};${PROJECT_NAME};${CDFLASH_COMPONENT};/")
set(CPACK_PROJECT_CONFIG_FILE ${PROJECT_SOURCE_DIR}/cmake/CPackPerGenerator.cmake)
include(CPack)
