# What a system install carries besides the library, the tool and the Python module: the
# tool's man page, gzipped as distributions install man pages, and the copyright file.
# Then the Debian package: `cpack -G DEB` in the build tree packs the whole install under
# /usr as edlbridge_<version>_<arch>.deb.

find_program(EDLBRIDGE_GZIP gzip)
if(EDLBRIDGE_BUILD_TOOLS AND EDLBRIDGE_GZIP)
  set(man_page "${CMAKE_CURRENT_BINARY_DIR}/man/edlbridge.1")
  configure_file("${CMAKE_CURRENT_SOURCE_DIR}/man/edlbridge.1.in" "${man_page}" @ONLY)
  add_custom_command(OUTPUT "${man_page}.gz"
    # -n keeps the name and time out of the archive: the same page gives the same bytes.
    COMMAND "${EDLBRIDGE_GZIP}" -9 -n -k -f "${man_page}"
    DEPENDS "${man_page}"
    COMMENT "Compressing the man page" VERBATIM)
  add_custom_target(edlbridge_man_page ALL DEPENDS "${man_page}.gz")
  install(FILES "${man_page}.gz" DESTINATION "${CMAKE_INSTALL_MANDIR}/man1")
endif()
install(FILES "${CMAKE_CURRENT_SOURCE_DIR}/packaging/copyright" DESTINATION "${CMAKE_INSTALL_DOCDIR}")

set(CPACK_PACKAGE_NAME edlbridge)
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGE_VENDOR "edlbridge developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
  "edit decision list library: reads EDLs and logs, writes some forty dialects")
string(CONCAT CPACK_DEBIAN_PACKAGE_DESCRIPTION
  "A C++17 shared library that reads edit decision lists and logs (CMX-style event\n"
  "lists, SMPTE FRAME CODE lists, *DS lists, tab-delimited log exchange lists, CSV\n"
  "logs and EVS XFile3 exports) and writes lists in some forty dialects. The package\n"
  "holds the records library and the conversion library edlconvert (lists,\n"
  "OpenTimelineIO timelines, change lists, pictures of a cut) with their headers,\n"
  "CMake package and pkg-config files, the edlbridge command line (types, detect,\n"
  "dump, convert, diff, timeline) and the Python 3 module edlbridge, which calls\n"
  "the libraries through ctypes.")
set(EDLBRIDGE_PACKAGE_MAINTAINER "edlbridge developers <edlbridge@localhost>" CACHE STRING
  "Maintainer field of the Debian package")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${EDLBRIDGE_PACKAGE_MAINTAINER}")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_GENERATOR DEB)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION video)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# Depends from the libraries the binaries link (dpkg-shlibdeps); the module needs Python 3.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_SUGGESTS python3)
# A shlibs file lets packages built against the library depend on it, and the install runs
# ldconfig for the SONAME link.
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS_POLICY ">=")
set(CPACK_STRIP_FILES ON)
include(CPack)
