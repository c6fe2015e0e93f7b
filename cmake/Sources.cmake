# Which file goes where is decided by its name, so that adding a file needs
# no edit here:
#   name_win32.cpp   Windows only (includes <windows.h>)
#   name_posix.cpp   native only, system twin of a name_win32.cpp
#   name_native.cpp  native only, built on Debian's libraries
#   *.cpp otherwise  portable core, both builds
# Entry points (main_win32.cpp, tools/*.cpp) are never part of a library.

set(VISTELLE_CORE_DIRS base base/win32 config image render library skin settings app)

set(VISTELLE_PORTABLE_SOURCES)
set(VISTELLE_NATIVE_SOURCES)
set(VISTELLE_WIN32_CORE_SOURCES)
set(VISTELLE_WIN32_UI_SOURCES)
foreach(dir IN LISTS VISTELLE_CORE_DIRS)
  file(GLOB files CONFIGURE_DEPENDS "${CMAKE_SOURCE_DIR}/${dir}/*.cpp")
  foreach(f IN LISTS files)
    get_filename_component(name "${f}" NAME_WE)
    if(name MATCHES "^main(_win32|_posix)?$")
      continue()
    elseif(name MATCHES "_win32$")
      # The rendering, settings and file layers and the Win32 kit sit in the
      # core; windows, dialogs and the program's controller form the user
      # interface.
      if(dir MATCHES "^(base|base/win32|config|image|render)$")
        list(APPEND VISTELLE_WIN32_CORE_SOURCES "${f}")
      else()
        list(APPEND VISTELLE_WIN32_UI_SOURCES "${f}")
      endif()
    elseif(name MATCHES "_(posix|native)$")
      list(APPEND VISTELLE_NATIVE_SOURCES "${f}")
    else()
      list(APPEND VISTELLE_PORTABLE_SOURCES "${f}")
    endif()
  endforeach()
endforeach()

file(GLOB VISTELLE_SHARED_TEST_SOURCES CONFIGURE_DEPENDS "${CMAKE_SOURCE_DIR}/tests/shared/*.cpp")
