# Packages made with CPack from the install rules: a tarball and a Debian package on Linux
# (`make package`), a zip on Windows (`make package-windows`). Files are named
# mazecast-VERSION-SYSTEM, e.g. mazecast-0.1.0-Linux.tar.gz and mazecast-0.1.0-win64.zip.
set(CPACK_PACKAGE_VENDOR "The mazecast developers")
# Whoever builds packages to hand out puts their own name and address here.
set(MAZECAST_PACKAGE_MAINTAINER "The mazecast developers <mazecast@example.org>"
  CACHE STRING "Name and address of the packages' maintainer")
set(CPACK_PACKAGE_CONTACT ${MAZECAST_PACKAGE_MAINTAINER})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "first-person maze walker drawn as text in the console")
set(CPACK_PACKAGE_DESCRIPTION
  "mazecast draws a first-person view of a walled 32 x 32 maze as text, one
ray per character column, with walls outlined in a full-block glyph. A start
menu offers three demo maps and a settings screen for the frame size; the
mouse turns and W, A, S and D walk. It runs in a terminal. mazecast-render
prints one frame for a pose, and mazecast-headless plays a scripted run
without a terminal.")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_STRIP_FILES ON)
# The generators of `cpack` and of the package presets.
if(WIN32)
  set(CPACK_GENERATOR ZIP)
else()
  set(CPACK_GENERATOR "TGZ;DEB")
endif()

# Debian: dependencies from dpkg-shlibdeps, and the staged tree rearranged as Debian wants it
# (the programs in /usr/games, compressed manual pages, a changelog and a copyright file).
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_MAZECAST_DEBIAN_CHANGELOG ${PROJECT_SOURCE_DIR}/docs/changelog)
set(CPACK_PRE_BUILD_SCRIPTS ${PROJECT_SOURCE_DIR}/cmake/debian_layout.cmake)

include(CPack)
