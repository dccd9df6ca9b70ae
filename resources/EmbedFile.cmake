# Writes a C++ source that holds the bytes of INPUT as `extern const uint8_t NAME[]` and their
# count as `extern const size_t NAME##Bytes`. OUTPUT is only touched when its text changes.
# Usage: cmake -DINPUT=<file> -DOUTPUT=<.cpp> -DNAME=<identifier> -P EmbedFile.cmake
file(READ "${INPUT}" hex HEX)
string(LENGTH "${hex}" hex_digits)
math(EXPR size "${hex_digits} / 2")
if(size EQUAL 0)
  message(FATAL_ERROR "${INPUT} is empty")
endif()
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
string(REPEAT "0x..," 16 line_of_bytes)  # CMake's regular expressions have no {n}
string(REGEX REPLACE "(${line_of_bytes})" "\\1\n    " bytes "${bytes}")
file(WRITE "${OUTPUT}.new"
  "// Generated from ${INPUT} by EmbedFile.cmake; do not edit.\n"
  "#include <cstddef>\n#include <cstdint>\n\n"
  "extern const uint8_t ${NAME}[];\nextern const size_t ${NAME}Bytes;\n\n"
  "alignas(4) const uint8_t ${NAME}[] = {\n    ${bytes}\n};\n"
  "const size_t ${NAME}Bytes = ${size};\n")
execute_process(COMMAND ${CMAKE_COMMAND} -E copy_if_different "${OUTPUT}.new" "${OUTPUT}")
file(REMOVE "${OUTPUT}.new")
