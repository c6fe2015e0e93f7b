# The font built into the program for the caption, so that both builds set
# its text with the same outlines and the same rasterizer (stb_truetype):
# Liberation Sans 2, Arial's metrics, under the SIL Open Font License, which
# lets it be built into a program (its licence, data/Licences, goes with
# the program; the first versions of the font were under the GPL instead).
find_file(VISTELLE_BUILT_IN_FONT LiberationSans-Regular.ttf
  PATHS /usr/share/fonts/truetype/liberation2 NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH)
find_path(VISTELLE_STB_DIR stb_truetype.h PATHS /usr/include/stb NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH)
if(NOT VISTELLE_BUILT_IN_FONT OR NOT VISTELLE_STB_DIR)
  message(FATAL_ERROR "The caption needs fonts-liberation2 and libstb-dev (tools/deps.sh native)")
endif()
set(VISTELLE_BUILT_IN_FONT_SOURCE ${CMAKE_BINARY_DIR}/generated/built_in_font_data.cpp)
add_custom_command(
  OUTPUT ${VISTELLE_BUILT_IN_FONT_SOURCE}
  COMMAND ${CMAKE_COMMAND} -DINPUT=${VISTELLE_BUILT_IN_FONT} -DOUTPUT=${VISTELLE_BUILT_IN_FONT_SOURCE}
          -DSYMBOL=kBuiltInFont -P ${CMAKE_SOURCE_DIR}/cmake/embed_file.cmake
  DEPENDS ${VISTELLE_BUILT_IN_FONT} ${CMAKE_SOURCE_DIR}/cmake/embed_file.cmake
  COMMENT "Building the caption's font in")
list(APPEND VISTELLE_PORTABLE_SOURCES ${VISTELLE_BUILT_IN_FONT_SOURCE})
