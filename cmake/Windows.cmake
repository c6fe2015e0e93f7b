# Windows build (MinGW-w64 here, MSVC-clean code): the program Pictora.exe,
# the Windows composer and the tests that run under Wine.

set(VISTELLE_WIN32_LIBS ole32 oleaut32 oleacc uuid windowscodecs gdi32 user32 comctl32 comdlg32 shell32 wtsapi32
    shlwapi advapi32 msimg32)

add_compile_definitions(WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0A00 WINVER=0x0A00)
if(MINGW)
  # One static executable: no MinGW runtime DLLs beside the program.
  add_link_options(-static -static-libgcc -static-libstdc++)
else()
  set(CMAKE_MSVC_RUNTIME_LIBRARY "MultiThreaded$<$<CONFIG:Debug>:Debug>")
endif()

# The version of project() goes into the version resource, the manifest and
# the About box through two files made in the build tree.
set(VISTELLE_GENERATED_DIR ${CMAKE_BINARY_DIR}/generated)
configure_file(resources/version.h.in ${VISTELLE_GENERATED_DIR}/vistelle_version.h @ONLY)
configure_file(resources/pictora.manifest.in ${VISTELLE_GENERATED_DIR}/pictora.manifest @ONLY)

add_library(vistelle_core STATIC ${VISTELLE_PORTABLE_SOURCES} ${VISTELLE_WIN32_CORE_SOURCES})
target_include_directories(vistelle_core SYSTEM PRIVATE ${VISTELLE_STB_DIR})
target_include_directories(vistelle_core PUBLIC ${CMAKE_SOURCE_DIR} ${VISTELLE_GENERATED_DIR})
find_package(Threads REQUIRED)
target_link_libraries(vistelle_core PUBLIC ${VISTELLE_WIN32_LIBS} Threads::Threads)

if(VISTELLE_WIN32_UI_SOURCES)
  add_library(vistelle_ui STATIC ${VISTELLE_WIN32_UI_SOURCES})
  target_link_libraries(vistelle_ui PUBLIC vistelle_core)
  set(VISTELLE_UI_LIB vistelle_ui)
endif()

# Every executable carries the program's manifest (Common Controls 6, the
# UTF-8 code page); the program also carries its icons and dialogs.
add_executable(Pictora WIN32 app/main_win32.cpp resources/pictora.rc)
# The icons and menu pictures that pictora.rc takes in through app.rc.
file(GLOB VISTELLE_ICON_FILES CONFIGURE_DEPENDS "${CMAKE_SOURCE_DIR}/resources/icons/*")
set_source_files_properties(resources/pictora.rc PROPERTIES
  OBJECT_DEPENDS "${CMAKE_SOURCE_DIR}/resources/app.rc;${CMAKE_SOURCE_DIR}/resources/settings.rc;${CMAKE_SOURCE_DIR}/resources/settings_ids.h;${CMAKE_SOURCE_DIR}/resources/editing.rc;${CMAKE_SOURCE_DIR}/resources/editing_ids.h;${VISTELLE_GENERATED_DIR}/pictora.manifest;${VISTELLE_GENERATED_DIR}/vistelle_version.h;${VISTELLE_ICON_FILES}")
set_source_files_properties(resources/manifest_only.rc PROPERTIES
  OBJECT_DEPENDS "${VISTELLE_GENERATED_DIR}/pictora.manifest")
target_link_libraries(Pictora PRIVATE ${VISTELLE_UI_LIB} vistelle_core)
set_target_properties(Pictora PROPERTIES OUTPUT_NAME Pictora)

add_executable(vistelle-compose tools/vistelle_compose.cpp resources/manifest_only.rc)
target_link_libraries(vistelle-compose PRIVATE vistelle_core)

# Shows a skin with sample contents, for looking at skins (not installed).
add_executable(skin-demo tools/skin_demo_win32.cpp resources/manifest_only.rc)
target_link_libraries(skin-demo PRIVATE ${VISTELLE_UI_LIB} vistelle_core)

install(TARGETS Pictora RUNTIME DESTINATION .)

if(VISTELLE_TESTS)
  enable_testing()
  set(gtest_force_shared_crt OFF CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
  add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
  file(GLOB windows_tests CONFIGURE_DEPENDS "${CMAKE_SOURCE_DIR}/tests/windows/*.cpp")
  add_executable(vistelle_win_tests ${windows_tests} ${VISTELLE_SHARED_TEST_SOURCES}
                 resources/pictora.rc)
  target_include_directories(vistelle_win_tests PRIVATE ${CMAKE_SOURCE_DIR})
  # Where the tests find their fixture files (tests/data).
  target_compile_definitions(vistelle_win_tests PRIVATE VISTELLE_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
  target_link_libraries(vistelle_win_tests PRIVATE ${VISTELLE_UI_LIB} vistelle_core gtest gtest_main)
  # Each test binary is one ctest entry: starting a Wine process per test
  # case would cost more than the tests themselves.
  add_test(NAME windows_tests COMMAND vistelle_win_tests --gtest_color=no)

  # Drives the running Pictora.exe from outside in the end-to-end tests.
  add_executable(vistelle-controller tests/e2e/controller_win32.cpp resources/manifest_only.rc)
  target_link_libraries(vistelle-controller PRIVATE vistelle_core)

  # The program itself, installed as a portable folder and driven from
  # outside.
  foreach(name IN ITEMS program_start program_session program_hide program_unattended program_saving program_commands
                   two_monitors display_scaling)
    add_test(NAME e2e_${name}
             COMMAND bash ${CMAKE_SOURCE_DIR}/tests/e2e/${name}.sh ${CMAKE_BINARY_DIR}
                     $<TARGET_FILE:vistelle-controller>)
  endforeach()

  # A big folder dropped on the window, made on the Linux side.
  add_test(NAME e2e_big_folder COMMAND bash ${CMAKE_SOURCE_DIR}/tests/e2e/big_folder.sh ${CMAKE_BINARY_DIR})

  # The release's zip and installer, installed and uninstalled in a Wine
  # prefix of their own; skipped when makensis is missing.
  add_test(NAME e2e_release_install
           COMMAND bash ${CMAKE_SOURCE_DIR}/tests/e2e/release_install.sh ${CMAKE_BINARY_DIR}
                   $<TARGET_FILE:vistelle-controller>)
  set_tests_properties(e2e_release_install PROPERTIES SKIP_RETURN_CODE 77)

  # End-to-end checks of the real programs; they need the native build too.
  if(VISTELLE_NATIVE_BUILD_DIR)
    add_test(NAME e2e_compose_matches_native
             COMMAND bash ${CMAKE_SOURCE_DIR}/tests/e2e/compose_matches_native.sh
                     ${VISTELLE_NATIVE_BUILD_DIR}/vistelle-compose $<TARGET_FILE:vistelle-compose>)
  endif()
endif()
