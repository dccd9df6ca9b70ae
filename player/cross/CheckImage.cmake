# Checks the finished cartridge image: entry branch, boot logo, fixed byte, complement,
# size, and that the stream address the player computes (kavroImageEnd) is the image's end.
# Usage: cmake -DIMAGE=<.gba> -DLOGO=<boot-logo.bin> -DELF=<.elf> -DNM=<nm> -P CheckImage.cmake
function(read_byte offset out)
  math(EXPR offset "${offset}")  # file(READ) takes decimal offsets only
  file(READ "${IMAGE}" hex OFFSET ${offset} LIMIT 1 HEX)
  math(EXPR value "0x${hex}")
  set(${out} ${value} PARENT_SCOPE)
endfunction()

file(SIZE "${IMAGE}" size)
math(EXPR remainder "${size} % 4")
if(NOT remainder EQUAL 0)
  message(FATAL_ERROR "${IMAGE}: size ${size} is not a multiple of 4")
endif()

read_byte(3 entry_opcode)
if(NOT entry_opcode EQUAL 0xEA)
  message(FATAL_ERROR "${IMAGE}: offset 0 does not hold an ARM branch")
endif()

file(READ "${IMAGE}" logo_in_image OFFSET 4 LIMIT 156 HEX)
file(READ "${LOGO}" logo HEX)
if(NOT logo_in_image STREQUAL logo)
  message(FATAL_ERROR "${IMAGE}: the boot logo at offset 4 differs from ${LOGO}")
endif()

read_byte(0xB2 fixed_value)
if(NOT fixed_value EQUAL 0x96)
  message(FATAL_ERROR "${IMAGE}: byte 0xB2 is ${fixed_value}, not 0x96")
endif()

set(sum 0)
foreach(offset RANGE 160 188)  # 0xA0 .. 0xBC
  read_byte(${offset} byte)
  math(EXPR sum "${sum} + ${byte}")
endforeach()
math(EXPR expected "(0 - ${sum} - 0x19) & 0xFF")
read_byte(0xBD complement)
if(NOT complement EQUAL expected)
  message(FATAL_ERROR "${IMAGE}: complement ${complement}, the header needs ${expected}")
endif()

execute_process(COMMAND ${NM} ${ELF} OUTPUT_VARIABLE symbols RESULT_VARIABLE status)
string(REGEX MATCH "([0-9a-f]+) [A-Za-z] kavroImageEnd" match "${symbols}")
if(NOT status EQUAL 0 OR NOT match)
  message(FATAL_ERROR "${ELF}: no kavroImageEnd symbol")
endif()
math(EXPR image_end "0x${CMAKE_MATCH_1}")
math(EXPR file_end "0x08000000 + ${size}")
if(NOT image_end EQUAL file_end)
  message(FATAL_ERROR "${IMAGE}: the player looks for the stream at ${image_end}, the image ends at ${file_end}")
endif()
