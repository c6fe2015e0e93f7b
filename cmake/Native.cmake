# Native Linux build: the portable core on Debian's image libraries, its
# unit tests, the command-line composer, benchmarks and fuzz targets.

find_package(JPEG REQUIRED)
find_package(PNG REQUIRED)
find_package(GIF REQUIRED)
find_package(Freetype REQUIRED)
find_package(Threads REQUIRED)

if(VISTELLE_FUZZ)
  # Everything instrumented for coverage and checked; the fuzz targets add
  # libFuzzer's main when they link.
  add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
elseif(VISTELLE_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
endif()

add_library(vistelle_core STATIC ${VISTELLE_PORTABLE_SOURCES} ${VISTELLE_NATIVE_SOURCES})
target_include_directories(vistelle_core SYSTEM PRIVATE ${VISTELLE_STB_DIR})
target_include_directories(vistelle_core PUBLIC ${CMAKE_SOURCE_DIR})
target_link_libraries(vistelle_core PUBLIC JPEG::JPEG PNG::PNG GIF::GIF Freetype::Freetype Threads::Threads)

add_executable(vistelle-compose tools/vistelle_compose.cpp)
target_link_libraries(vistelle-compose PRIVATE vistelle_core)

if(VISTELLE_TESTS)
  enable_testing()
  find_package(GTest REQUIRED)
  include(GoogleTest)
  file(GLOB native_tests CONFIGURE_DEPENDS "${CMAKE_SOURCE_DIR}/tests/native/*.cpp")
  add_executable(vistelle_tests ${native_tests} ${VISTELLE_SHARED_TEST_SOURCES})
  target_include_directories(vistelle_tests PRIVATE ${CMAKE_SOURCE_DIR})
  target_link_libraries(vistelle_tests PRIVATE vistelle_core GTest::gtest GTest::gtest_main)
  target_compile_definitions(vistelle_tests PRIVATE VISTELLE_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
  gtest_discover_tests(vistelle_tests WORKING_DIRECTORY ${CMAKE_BINARY_DIR} DISCOVERY_TIMEOUT 60 NO_PRETTY_VALUES)
endif()

if(VISTELLE_BENCH)
  file(GLOB bench_sources CONFIGURE_DEPENDS "${CMAKE_SOURCE_DIR}/bench/*.cpp")
  foreach(src IN LISTS bench_sources)
    get_filename_component(name "${src}" NAME_WE)
    add_executable(bench_${name} ${src})
    target_link_libraries(bench_${name} PRIVATE vistelle_core)
  endforeach()
endif()

if(VISTELLE_FUZZ)
  file(GLOB fuzz_sources CONFIGURE_DEPENDS "${CMAKE_SOURCE_DIR}/fuzz/*_fuzz.cpp")
  foreach(src IN LISTS fuzz_sources)
    get_filename_component(name "${src}" NAME_WE)
    add_executable(${name} ${src})
    target_link_options(${name} PRIVATE -fsanitize=fuzzer)
    target_link_libraries(${name} PRIVATE vistelle_core)
  endforeach()
endif()
