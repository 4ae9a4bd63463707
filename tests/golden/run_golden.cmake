# Runs one golden case and compares what it printed with the checked-in expectation.
#   cmake -DPROGRAM=<program> -DARGS=<arg|arg|...> [-DINPUT=<file>] -DEXPECTED=<file>
#         -P run_golden.cmake
# The transcript is standard output, then "[stderr]" and standard error when there is any,
# then "[exit N]". With MAZECAST_UPDATE_GOLDEN set in the environment the expectation is
# rewritten instead of compared.
string(REPLACE "|" ";" args "${ARGS}")
if(INPUT)
  execute_process(COMMAND ${PROGRAM} ${args} INPUT_FILE ${INPUT}
    OUTPUT_VARIABLE out ERROR_VARIABLE err RESULT_VARIABLE status)
else()
  execute_process(COMMAND ${PROGRAM} ${args}
    OUTPUT_VARIABLE out ERROR_VARIABLE err RESULT_VARIABLE status)
endif()

set(transcript "${out}")
if(NOT err STREQUAL "")
  string(APPEND transcript "[stderr]\n${err}")
endif()
string(APPEND transcript "[exit ${status}]\n")

if(DEFINED ENV{MAZECAST_UPDATE_GOLDEN})
  file(WRITE ${EXPECTED} "${transcript}")
  message(STATUS "updated ${EXPECTED}")
  return()
endif()

file(READ ${EXPECTED} expected)
if(NOT transcript STREQUAL expected)
  get_filename_component(name ${EXPECTED} NAME)
  file(WRITE ${CMAKE_CURRENT_BINARY_DIR}/${name}.actual "${transcript}")
  execute_process(COMMAND diff -u ${EXPECTED} ${CMAKE_CURRENT_BINARY_DIR}/${name}.actual)
  message(FATAL_ERROR "output differs from ${EXPECTED}")
endif()
