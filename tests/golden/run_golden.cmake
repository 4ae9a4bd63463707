# Runs one golden case and compares what it printed with the checked-in expectation.
#   cmake [-DEMULATOR=<runner;args>] -DPROGRAM=<program> -DARGS=<arg|arg|...> [-DINPUT=<file>]
#         [-DOUTPUT_FILE=<file>] -DEXPECTED=<file> -P run_golden.cmake
# The transcript is standard output, then "[stderr]" and standard error when there is any, then
# "[exit N]". With OUTPUT_FILE standard output goes to that file (a device such as /dev/full)
# and is left out of the transcript. A Windows C runtime writes text with "\r\n" line ends; they
# are read as "\n", the only difference a Windows program may show. With MAZECAST_UPDATE_GOLDEN
# set in the environment the expectation is rewritten instead of compared.
cmake_minimum_required(VERSION 3.25)
string(REPLACE "|" ";" args "${ARGS}")
set(command ${EMULATOR} ${PROGRAM} ${args})
set(redirections)
if(INPUT)
  list(APPEND redirections INPUT_FILE ${INPUT})
endif()
if(OUTPUT_FILE)
  list(APPEND redirections OUTPUT_FILE ${OUTPUT_FILE})
else()
  list(APPEND redirections OUTPUT_VARIABLE out)
endif()
set(out "")
execute_process(COMMAND ${command} ${redirections} ERROR_VARIABLE err RESULT_VARIABLE status)
string(REPLACE "\r\n" "\n" out "${out}")
string(REPLACE "\r\n" "\n" err "${err}")

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
  set(actual ${CMAKE_CURRENT_BINARY_DIR}/${name}.actual)
  file(WRITE ${actual} "${transcript}")
  execute_process(COMMAND diff -u ${EXPECTED} ${actual})
  message(FATAL_ERROR "output differs from ${EXPECTED} (this run's transcript: ${actual})")
endif()
