# Cross build for 32-bit Windows with MinGW-w64 (Debian's i686-w64-mingw32).
#
# The -posix compilers use the winpthreads thread model: GCC 12's -win32 model
# has no std::thread or std::mutex, and GoogleTest needs them. Everything is
# linked statically (libgcc, libstdc++ and winpthreads included), so the
# programs import nothing but system DLLs.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86)

set(CDFLASH_MINGW_TRIPLET i686-w64-mingw32)
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
set(CMAKE_CROSSCOMPILING_EMULATOR "${CDFLASH_SOURCE_ROOT}/scripts/wine-run.sh")

