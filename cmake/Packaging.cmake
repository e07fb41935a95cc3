# What a release holds and how it is packed (CPack): the template program,
# the example model table and sample-BIN script, the README and the licence;
# on Linux also a desktop entry and an icon. Nothing of the simulator, the
# demo or the tests is installed, so none of it reaches a package.
#   Linux:   bin/cdflash, share/cdflash/..., share/applications, share/icons
#   Windows: one folder: cdflash.exe with cdflash.INI beside it
set(CDFLASH_COMPONENT cdflash)
# Installing and packing build nothing but what they install: the test
# programs, whose discovery runs them under Wine, stay out of a release build.
# Build the program first (scripts/release.sh does).
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)
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
  install(FILES examples/cdflash.INI DESTINATION ${CMAKE_INSTALL_DATADIR}/cdflash/examples
          COMPONENT ${CDFLASH_COMPONENT})
  install(PROGRAMS examples/make-sample-bins.sh DESTINATION ${CMAKE_INSTALL_DATADIR}/cdflash/examples
          COMPONENT ${CDFLASH_COMPONENT})
  install(FILES README.md LICENSE DESTINATION ${CMAKE_INSTALL_DOCDIR} COMPONENT ${CDFLASH_COMPONENT})
  install(FILES packaging/cdflash.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications
          COMPONENT ${CDFLASH_COMPONENT})
  install(FILES packaging/cdflash.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps
          COMPONENT ${CDFLASH_COMPONENT})
  set(CPACK_GENERATOR TGZ)
  set(CPACK_SYSTEM_NAME linux-${CMAKE_SYSTEM_PROCESSOR})
endif()

set(CPACK_PACKAGE_NAME cdflash)
set(CPACK_PACKAGE_VENDOR "The cdflash developers")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_FILE_NAME cdflash-${PROJECT_VERSION}-${CPACK_SYSTEM_NAME})
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_STRIP_FILES ON)
# Only our component: libraries built alongside (GoogleTest) bring install
# rules of their own.
set(CPACK_INSTALL_CMAKE_PROJECTS "${CMAKE_BINARY_DIR};${PROJECT_NAME};${CDFLASH_COMPONENT};/")
include(CPack)
