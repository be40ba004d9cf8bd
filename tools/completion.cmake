# Writes the completion script the tool makes for one shell: cmake -DTOOL=... -DSHELL=bash
# -DOUTPUT=... -P completion.cmake
execute_process(COMMAND "${TOOL}" completion "${SHELL}" OUTPUT_FILE "${OUTPUT}"
                RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  file(REMOVE "${OUTPUT}")
  message(FATAL_ERROR "edlbridge completion ${SHELL} failed: ${result}")
endif()
