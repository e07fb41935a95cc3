# 32-bit Windows: the shipped cdflash.exe.
set(CMAKE_SYSTEM_PROCESSOR x86)
set(CDFLASH_MINGW_TRIPLET i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/toolchain-mingw.cmake)
