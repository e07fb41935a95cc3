# 64-bit Windows: the test build for machines whose kernel runs no 32-bit
# programs (64-bit Wine runs it there). Nothing of it is shipped.
set(CMAKE_SYSTEM_PROCESSOR AMD64)
set(CDFLASH_MINGW_TRIPLET x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/toolchain-mingw.cmake)
