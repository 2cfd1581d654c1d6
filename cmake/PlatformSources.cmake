# zephra_platform_sources(<variable> <folder>)
# The one rule for the project's platform folders (src/platform, host/platform,
# host/render/platform): each OS-specific piece is a POSIX file "<Name>.cpp" and a Windows file
# "<Name>Win32.cpp" behind one portable header; a Win32 file without a POSIX twin is Windows
# only, and every other file is shared. Sets <variable> to the folder's sources for the system
# being built.
function(zephra_platform_sources variable folder)
  file(GLOB sources CONFIGURE_DEPENDS ${folder}/*.cpp)
  file(GLOB win32Sources CONFIGURE_DEPENDS ${folder}/*Win32.cpp)
  if(WIN32)
    foreach(win32 ${win32Sources})
      string(REGEX REPLACE "Win32\\.cpp$" ".cpp" posix "${win32}")
      list(REMOVE_ITEM sources "${posix}")
    endforeach()
  else()
    list(REMOVE_ITEM sources ${win32Sources})
  endif()
  set(${variable} ${sources} PARENT_SCOPE)
endfunction()
