# Warnings for the project's own targets (the SDK library is compiled without them).
function(zephra_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra)
endfunction()
