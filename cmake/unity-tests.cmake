# Test programs are compiled in batches of source files, each batch one
# translation unit: their files parse the same heavy headers (GoogleTest,
# the JSON reader, Qt) and instantiate the same templates, which costs far
# more than their own code; a batch does that once. Product code is left as
# it is. Set here for every test folder, after they have made their targets:
# cdflash_unity_test_programs(${CMAKE_SOURCE_DIR}/tests).
#
# CDFLASH_UNITY_TESTS=OFF compiles each test file alone (to check that each
# still includes what it uses, or to find a name that two files share).
option(CDFLASH_UNITY_TESTS "Compile the test programs in batches of source files" ON)
set(CDFLASH_UNITY_TESTS_BATCH 8 CACHE STRING "Source files per translation unit of a test program")

# The Qt tests' files each keep helpers of the same names with their own
# signatures (a Warning() box of each file's kind): that program stays per file.
set(CDFLASH_UNITY_TESTS_KEPT_APART qt_tests)

# Xlib's headers define macros (None, Bool, Status) that break Qt's headers
# included after them in the same unit: files that include them stay alone.
set(_cdflash_unity_alone_regex "#include [<\"](X11/|XDisplay\\.h)")

function(cdflash_unity_test_programs dir)
  if(NOT CDFLASH_UNITY_TESTS)
    return()
  endif()
  get_property(targets DIRECTORY ${dir} PROPERTY BUILDSYSTEM_TARGETS)
  foreach(target IN LISTS targets)
    get_target_property(type ${target} TYPE)
    get_target_property(sources ${target} SOURCES)
    get_target_property(source_dir ${target} SOURCE_DIR)
    list(FILTER sources INCLUDE REGEX "\\.cpp$")
    list(LENGTH sources count)
    if(NOT type STREQUAL "EXECUTABLE" OR count LESS 2 OR target IN_LIST CDFLASH_UNITY_TESTS_KEPT_APART)
      continue()
    endif()
    set(alone "")
    foreach(source IN LISTS sources)
      cmake_path(ABSOLUTE_PATH source BASE_DIRECTORY ${source_dir})
      file(STRINGS ${source} xlib REGEX "${_cdflash_unity_alone_regex}")
      if(xlib)
        list(APPEND alone ${source})
      endif()
    endforeach()
    if(alone)
      set_source_files_properties(${alone} DIRECTORY ${source_dir}
                                  PROPERTIES SKIP_UNITY_BUILD_INCLUSION ON)
    endif()
    set_target_properties(${target} PROPERTIES UNITY_BUILD ON
                          UNITY_BUILD_BATCH_SIZE ${CDFLASH_UNITY_TESTS_BATCH})
    # GCC 12, inlining across a batch, reports a std::vector built from an
    # initializer list as maybe uninitialized (in the simulator's drive
    # settings); each file alone compiles clean, so for these programs only
    # the warning is left to the compilers that judge it right.
    if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
      target_compile_options(${target} PRIVATE -Wno-maybe-uninitialized)
    endif()
  endforeach()
  get_property(subdirs DIRECTORY ${dir} PROPERTY SUBDIRECTORIES)
  foreach(subdir IN LISTS subdirs)
    cdflash_unity_test_programs(${subdir})
  endforeach()
endfunction()
