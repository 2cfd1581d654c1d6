# Warnings for the project's own targets (the SDK library is compiled without them).
# ZEPHRA_WERROR turns every such warning into an error (scripts/test.sh builds with it), so a
# new warning fails the build instead of scrolling past.
option(ZEPHRA_WERROR "Treat warnings in the project's own code as errors" OFF)
function(zephra_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra)
  if(ZEPHRA_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
endfunction()

# zephra_library(<target> <STATIC|MODULE|OBJECT> <source>...)
# A library of the project's own code: symbols (inline ones too) hidden unless a module exports
# them, the project's warnings, and src/ on the include path of the library and its users.
function(zephra_library target kind)
  add_library(${target} ${kind} ${ARGN})
  target_include_directories(${target} PUBLIC ${PROJECT_SOURCE_DIR}/src)
  zephra_hidden_symbols(${target})
  zephra_warnings(${target})
endfunction()

# Hides a target's symbols, inline functions included, so only what a module exports on purpose
# is seen outside it.
function(zephra_hidden_symbols target)
  set_target_properties(${target} PROPERTIES CXX_VISIBILITY_PRESET hidden VISIBILITY_INLINES_HIDDEN ON)
endfunction()
