# Warnings are errors on our own code only; third-party targets (GoogleTest) keep theirs.
function(cdflash_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Werror)
endfunction()
