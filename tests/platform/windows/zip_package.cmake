# Packs the Windows build as its zip, unpacks it into a throwaway folder and checks what a user
# gets: one folder named after the version holding the three programs, the README and the
# licence, and nothing else; the unpacked mazecast-render.exe names the version and draws demo 1's
# first frame (compared as a golden transcript is).
#   cmake -DCPACK=<cpack> -DBUILD=<build dir> -DVERSION=<version> -DEMULATOR=<runner;args>
#         -DGOLDEN_RUNNER=<run_golden.cmake> -DEXPECTED=<frame transcript> -P zip_package.cmake
cmake_minimum_required(VERSION 3.25)
string(RANDOM LENGTH 8 token)
set(work ${BUILD}/zip-package-${token})
file(REMOVE_RECURSE ${work})

function(fail message)
  file(REMOVE_RECURSE ${work})
  message(FATAL_ERROR "${message}")
endfunction()

execute_process(COMMAND ${CPACK} -G ZIP --config ${BUILD}/CPackConfig.cmake -B ${work}/out
  OUTPUT_VARIABLE log ERROR_VARIABLE log RESULT_VARIABLE status)
set(folder mazecast-${VERSION}-win64)
if(NOT status EQUAL 0 OR NOT EXISTS ${work}/out/${folder}.zip)
  fail("cpack made no ${folder}.zip:\n${log}")
endif()

file(MAKE_DIRECTORY ${work}/unpacked)
execute_process(COMMAND ${CMAKE_COMMAND} -E tar xf ${work}/out/${folder}.zip
  WORKING_DIRECTORY ${work}/unpacked RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  fail("the zip does not unpack")
endif()
file(GLOB_RECURSE files LIST_DIRECTORIES false RELATIVE ${work}/unpacked ${work}/unpacked/*)
list(SORT files)
set(expected_files ${folder}/LICENSE ${folder}/README.md ${folder}/mazecast-headless.exe
  ${folder}/mazecast-render.exe ${folder}/mazecast.exe)
if(NOT files STREQUAL expected_files)
  fail("the zip holds\n  ${files}\nnot\n  ${expected_files}")
endif()

set(render ${work}/unpacked/${folder}/mazecast-render.exe)
execute_process(COMMAND ${EMULATOR} ${render} --version OUTPUT_VARIABLE version_line
  RESULT_VARIABLE status)
string(STRIP "${version_line}" version_line)
if(NOT status EQUAL 0 OR NOT version_line STREQUAL "mazecast-render ${VERSION}")
  fail("the unpacked mazecast-render.exe --version said \"${version_line}\" (exit ${status})")
endif()

set(PROGRAM ${render})
set(ARGS "--map|1|--x|6|--y|6|--angle|180")
include(${GOLDEN_RUNNER})
file(REMOVE_RECURSE ${work})
message(STATUS "${folder}.zip: ${files}; --version and demo 1's first frame as expected")
