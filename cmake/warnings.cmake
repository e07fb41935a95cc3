# Warnings are errors on our own code only; third-party targets (GoogleTest) keep theirs.
function(cdflash_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Werror)
  # No pointer may be cut to a narrower integer or made from one (a pointer
  # is 8 bytes in the 64-bit Windows test build): C++ refuses such casts
  # outright, and these make C and the integer-to-pointer direction errors too.
  target_compile_options(${target} PRIVATE -Wint-to-pointer-cast
                         $<$<COMPILE_LANGUAGE:C>:-Wpointer-to-int-cast>)
  # GCC 12 reports impossible overlaps inside std::string concatenation at -O2
  # (its -Wrestrict misreads the inlined library code); the warning says
  # nothing about our code there, so it is left out for that compiler.
  if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
    target_compile_options(${target} PRIVATE -Wno-restrict)
  endif()
endfunction()
