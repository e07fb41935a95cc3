# Read by cpack once per generator (CPACK_PROJECT_CONFIG_FILE): the Debian
# package also installs the component only it holds (cmake/PackagingDebian.cmake).
if(CPACK_GENERATOR STREQUAL "DEB")
  list(GET CPACK_INSTALL_CMAKE_PROJECTS 0 build_dir)
  list(APPEND CPACK_INSTALL_CMAKE_PROJECTS "${build_dir}" cdflash debian /)
endif()
