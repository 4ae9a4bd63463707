# Runs one golden case of a Windows build and compares its transcript with the checked-in one.
#   cmake [-DEMULATOR=<runner;args>] -DPROGRAM=<program> -DARGS=<arg|arg|...> [-DINPUT=<file>]
#         -DEXPECTED=<file> -P run_golden_windows.cmake
# The transcript is made as the golden suite makes it (standard output, "[stderr]" and standard
# error when there is any, "[exit N]"), after turning the C runtime's text-mode "\r\n" line ends
# back into "\n": the line ends are the only difference a Windows program may show.
cmake_minimum_required(VERSION 3.25)
string(REPLACE "|" ";" args "${ARGS}")
set(command ${EMULATOR} ${PROGRAM} ${args})
if(INPUT)
  execute_process(COMMAND ${command} INPUT_FILE ${INPUT}
    OUTPUT_VARIABLE out ERROR_VARIABLE err RESULT_VARIABLE status)
else()
  execute_process(COMMAND ${command} OUTPUT_VARIABLE out ERROR_VARIABLE err RESULT_VARIABLE status)
endif()
string(REPLACE "\r\n" "\n" out "${out}")
string(REPLACE "\r\n" "\n" err "${err}")

set(transcript "${out}")
if(NOT err STREQUAL "")
  string(APPEND transcript "[stderr]\n${err}")
endif()
string(APPEND transcript "[exit ${status}]\n")

file(READ ${EXPECTED} expected)
if(NOT transcript STREQUAL expected)
  get_filename_component(name ${EXPECTED} NAME)
  set(actual ${CMAKE_CURRENT_BINARY_DIR}/windows.${name}.actual)
  file(WRITE ${actual} "${transcript}")
  execute_process(COMMAND diff -u ${EXPECTED} ${actual})
  message(FATAL_ERROR "output differs from ${EXPECTED} (Windows transcript in ${actual})")
endif()
