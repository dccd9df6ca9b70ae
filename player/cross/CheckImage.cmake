# Checks that the stream address the player computes (kavroImageEnd) is the end of the image
# the build wrote: the image starts at the program's entry, _start. The cartridge header is
# checked by the host (player/check), against the same rules the host applies to every image.
# Usage: cmake -DIMAGE=<.gba> -DELF=<.elf> -DNM=<nm> -P CheckImage.cmake
function(symbol_address symbols name out)
  string(REGEX MATCH "([0-9a-f]+) [A-Za-z] ${name}\n" match "${symbols}")
  if(NOT match)
    message(FATAL_ERROR "${ELF}: no ${name} symbol")
  endif()
  math(EXPR value "0x${CMAKE_MATCH_1}")
  set(${out} ${value} PARENT_SCOPE)
endfunction()

execute_process(COMMAND ${NM} ${ELF} OUTPUT_VARIABLE symbols RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "cannot list the symbols of ${ELF}")
endif()
symbol_address("${symbols}" _start image_start)
symbol_address("${symbols}" kavroImageEnd image_end)
file(SIZE "${IMAGE}" size)
math(EXPR file_end "${image_start} + ${size}")
if(NOT image_end EQUAL file_end)
  message(FATAL_ERROR "${IMAGE}: the player looks for the stream at ${image_end}, the image ends at ${file_end}")
endif()
