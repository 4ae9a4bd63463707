# Run by CPack on the staged tree of each package before it is packed. For the Debian package
# it rearranges the tree as Debian's policy wants it for a game: the programs in /usr/games,
# manual pages compressed with gzip -9n, the changelog as changelog.gz and the
# licence in the machine-readable copyright file. Other packages keep the install layout.
if(NOT CPACK_GENERATOR STREQUAL "DEB")
  return()
endif()

set(root ${CPACK_TEMPORARY_INSTALL_DIRECTORY}${CPACK_PACKAGING_INSTALL_PREFIX})
set(doc ${root}/share/doc/${CPACK_PACKAGE_NAME})

file(RENAME ${root}/bin ${root}/games)

# gzip -9n: best compression, and no name or time stamp, so the bytes depend on the input only.
function(gzip_into input output)
  execute_process(COMMAND gzip -9n -c ${input} OUTPUT_FILE ${output} RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "gzip ${input}: ${status}")
  endif()
endfunction()

file(GLOB pages ${root}/share/man/man*/*)
foreach(page IN LISTS pages)
  gzip_into(${page} ${page}.gz)
  file(REMOVE ${page})
endforeach()

gzip_into(${CPACK_MAZECAST_DEBIAN_CHANGELOG} ${doc}/changelog.gz)

# The copyright file carries the licence's text (blank lines as " .", every line indented), so
# the separate LICENSE file is dropped.
file(READ ${CPACK_RESOURCE_FILE_LICENSE} licence)
if(NOT licence MATCHES "^MIT License\n\nCopyright \\(c\\) ([^\n]+)\n\n(.*[^\n])\n*$")
  message(FATAL_ERROR "${CPACK_RESOURCE_FILE_LICENSE} does not start as an MIT licence does")
endif()
set(holders ${CMAKE_MATCH_1})
string(REGEX REPLACE "\n\n" "\n.\n" terms "${CMAKE_MATCH_2}")
string(REGEX REPLACE "\n" "\n " terms " ${terms}")
file(WRITE ${doc}/copyright
  "Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/
Upstream-Name: ${CPACK_PACKAGE_NAME}
Upstream-Contact: ${CPACK_PACKAGE_CONTACT}

Files: *
Copyright: ${holders}
License: Expat
${terms}
")
file(REMOVE ${doc}/LICENSE)
