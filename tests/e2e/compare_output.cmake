cmake_minimum_required(VERSION 3.25)

# Runs COMMAND (a ;-list) and fails unless it succeeds and prints exactly the
# contents of EXPECTED.
execute_process(COMMAND ${COMMAND} OUTPUT_VARIABLE output ERROR_VARIABLE errors
  RESULT_VARIABLE status TIMEOUT 60)
file(READ ${EXPECTED} expected)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "exit status ${status}\n${output}${errors}")
endif()
if(NOT output STREQUAL expected)
  message(FATAL_ERROR "printed:\n${output}\nexpected (${EXPECTED}):\n${expected}")
endif()
