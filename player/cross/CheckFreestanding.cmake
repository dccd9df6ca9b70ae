# Fails when any of FILES (objects or the linked program) refers to the heap, to exception
# handling or to other C++ run-time support that the player must not need.
# Usage: cmake -DNM=<arm-none-eabi-nm> "-DFILES=a.o|b.o" -P CheckFreestanding.cmake
string(REPLACE "|" ";" files "${FILES}")
set(forbidden "^(malloc|calloc|realloc|free|_Znw.*|_Zna.*|_Zdl.*|_Zda.*|__cxa_.*|__gxx_personality.*|_Unwind_.*|__aeabi_unwind_cpp_.*|abort)$")
set(found "")
foreach(file IN LISTS files)
  execute_process(COMMAND ${NM} --format=posix ${file}
                  OUTPUT_VARIABLE symbols RESULT_VARIABLE status ERROR_VARIABLE error)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "cannot list the symbols of ${file}: ${error}")
  endif()
  string(REPLACE "\n" ";" lines "${symbols}")
  foreach(line IN LISTS lines)
    string(REGEX MATCH "^[^ ]+" symbol "${line}")
    if(symbol MATCHES "${forbidden}")
      list(APPEND found "${symbol} (${file})")
    endif()
  endforeach()
endforeach()
if(found)
  list(JOIN found "\n  " text)
  message(FATAL_ERROR "the player must not use the heap or C++ run-time support, but refers to:\n  ${text}")
endif()
