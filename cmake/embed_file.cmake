# Writes a C++ source that holds a file's bytes:
#   cmake -DINPUT=file -DOUTPUT=source.cpp -DSYMBOL=name -P embed_file.cmake
# The source defines vistelle::SYMBOL (the bytes) and vistelle::SYMBOL_size.
file(READ "${INPUT}" hex HEX)
string(LENGTH "${hex}" digits)
math(EXPR size "${digits} / 2")
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
# Lines of 32 bytes (160 characters) for the compiler's and editors' sake.
string(REGEX REPLACE "((0x..,){32})" "\\1\n" bytes "${bytes}")
file(WRITE "${OUTPUT}.tmp"
  "// Made from ${INPUT} by cmake/embed_file.cmake.\n#include <cstddef>\n\nnamespace vistelle {\n"
  "extern const unsigned char ${SYMBOL}[];\nextern const std::size_t ${SYMBOL}_size;\n"
  "const unsigned char ${SYMBOL}[] = {\n${bytes}\n};\nconst std::size_t ${SYMBOL}_size = ${size};\n}  // namespace vistelle\n")
file(RENAME "${OUTPUT}.tmp" "${OUTPUT}")
