# Runs the C++ and the C example hosts on one list (under EMULATOR when one is given): both
# must succeed and print the same events, the C host reading through the C-linkage
# functions alone.
foreach(host CPP_HOST C_HOST)
  execute_process(COMMAND ${EMULATOR} "${${host}}" "${LIST}"
                  OUTPUT_VARIABLE out_${host} ERROR_VARIABLE err RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "${${host}} failed (${rc}): ${err}")
  endif()
  # The hosts print text: on Windows their lines end in CR LF.
  string(REPLACE "\r\n" "\n" out_${host} "${out_${host}}")
endforeach()
if(NOT out_CPP_HOST STREQUAL out_C_HOST)
  message(FATAL_ERROR "the hosts differ\n--- C++\n${out_CPP_HOST}\n--- C\n${out_C_HOST}")
endif()
if(NOT out_CPP_HOST MATCHES "\n${EVENTS} events\n$")
  message(FATAL_ERROR "expected ${EVENTS} events:\n${out_CPP_HOST}")
endif()
