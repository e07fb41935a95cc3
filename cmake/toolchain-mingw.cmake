# Cross build for Windows with Debian's MinGW-w64; included by the toolchain
# file of each architecture after it sets CDFLASH_MINGW_TRIPLET and
# CMAKE_SYSTEM_PROCESSOR.
#
# The -posix compilers use the winpthreads thread model: GCC 12's -win32 model
# has no std::thread or std::mutex, and GoogleTest needs them. Everything is
# linked statically (libgcc, libstdc++ and winpthreads included), so the
# programs import nothing but system DLLs.
set(CMAKE_SYSTEM_NAME Windows)

set(CMAKE_C_COMPILER   ${CDFLASH_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${CDFLASH_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER  ${CDFLASH_MINGW_TRIPLET}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${CDFLASH_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")

# ctest and gtest_discover_tests run the cross-built programs under Wine.
get_filename_component(CDFLASH_SOURCE_ROOT "${CMAKE_CURRENT_LIST_DIR}/.." ABSOLUTE)
# It runs each under the Wine of the program's own architecture.
set(CMAKE_CROSSCOMPILING_EMULATOR "${CDFLASH_SOURCE_ROOT}/scripts/wine-run.sh")
