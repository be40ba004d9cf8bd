# What a system install carries besides the libraries, the tool and the Python module: the
# tool's man page, gzipped as distributions install man pages, and the copyright file.
# Then the Debian packages: `cpack -G DEB` in a build configured for /usr (see
# scripts/package-deb) makes one package per install component:
#   libedlbridge1      runtime  the two shared libraries, in the multiarch library folder
#   libedlbridge-dev   dev      headers, SONAME-less links, CMake and pkg-config files
#   edlbridge          tool     the command line, its man page, shell completion
#   python3-edlbridge  python   the Python module, loading the system's libraries

set(EDLBRIDGE_PACKAGE_MAINTAINER "edlbridge maintainers <maintainers@edlbridge.org>" CACHE STRING
  "Maintainer field of the Debian packages")

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
  install(FILES "${man_page}.gz" DESTINATION "${CMAKE_INSTALL_MANDIR}/man1" COMPONENT tool)
endif()

# Package name of each install component.
set(EDLBRIDGE_PACKAGE_runtime "libedlbridge1")
set(EDLBRIDGE_PACKAGE_dev "libedlbridge-dev")
set(EDLBRIDGE_PACKAGE_tool "edlbridge")
set(EDLBRIDGE_PACKAGE_python "python3-edlbridge")
set(EDLBRIDGE_COMPONENTS runtime dev)
if(EDLBRIDGE_BUILD_TOOLS)
  list(APPEND EDLBRIDGE_COMPONENTS tool)
endif()
if(EDLBRIDGE_BUILD_PYTHON AND NOT CMAKE_CROSSCOMPILING)
  list(APPEND EDLBRIDGE_COMPONENTS python)
endif()

if(EDLBRIDGE_DEBIAN_PACKAGES)
  if(NOT EDLBRIDGE_GZIP)
    message(FATAL_ERROR "gzip is needed for the Debian packages' changelogs")
  endif()
  # Debian's policy: every package carries its copyright file and changelog in
  # /usr/share/doc/<package>, and its lintian overrides, each explained.
  set(changelog "${CMAKE_CURRENT_BINARY_DIR}/packaging/changelog")
  configure_file("${CMAKE_CURRENT_SOURCE_DIR}/packaging/changelog" "${changelog}" COPYONLY)
  add_custom_command(OUTPUT "${changelog}.gz"
    COMMAND "${EDLBRIDGE_GZIP}" -9 -n -k -f "${changelog}"
    DEPENDS "${changelog}" VERBATIM)
  add_custom_target(edlbridge_changelog ALL DEPENDS "${changelog}.gz")
  foreach(component ${EDLBRIDGE_COMPONENTS})
    set(package "${EDLBRIDGE_PACKAGE_${component}}")
    set(doc "${CMAKE_INSTALL_DATAROOTDIR}/doc/${package}")
    install(FILES "${CMAKE_CURRENT_SOURCE_DIR}/packaging/copyright" DESTINATION "${doc}"
      COMPONENT ${component})
    install(FILES "${changelog}.gz" DESTINATION "${doc}" COMPONENT ${component})
    set(overrides "${CMAKE_CURRENT_SOURCE_DIR}/packaging/lintian/${package}")
    if(EXISTS "${overrides}")
      install(FILES "${overrides}" DESTINATION "${CMAKE_INSTALL_DATAROOTDIR}/lintian/overrides"
        COMPONENT ${component})
    endif()
  endforeach()
else()
  install(FILES "${CMAKE_CURRENT_SOURCE_DIR}/packaging/copyright"
    DESTINATION "${CMAKE_INSTALL_DOCDIR}" COMPONENT runtime)
endif()

set(CPACK_PACKAGE_NAME edlbridge)
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGE_VENDOR "edlbridge developers")
set(CPACK_PACKAGE_CONTACT "${EDLBRIDGE_PACKAGE_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${EDLBRIDGE_PACKAGE_MAINTAINER}")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_GENERATOR DEB)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL ${EDLBRIDGE_COMPONENTS})
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://edlbridge.org")
set(CPACK_STRIP_FILES ON)
# Depends from the libraries the binaries link (dpkg-shlibdeps). The project's own libraries
# are found in the runtime package's staging folder; the dependency on that package is
# written out, exact, since the tool and libedlconvert come from one build.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS "../runtime${CPACK_PACKAGING_INSTALL_PREFIX}/${CMAKE_INSTALL_LIBDIR}")
set(CPACK_DEBIAN_ENABLE_COMPONENT_DEPENDS OFF)

# Each package's description: its synopsis, this paragraph, then what the package holds.
string(CONCAT about
  "edlbridge reads edit decision lists and logs (CMX-style event lists,\n"
  "SMPTE FRAME CODE lists, *DS lists, tab-delimited log exchange lists,\n"
  "column, FLEx and CSV logs) and writes lists in some forty dialects; its\n"
  "conversion library converts them to and from OpenTimelineIO timelines,\n"
  "compares two cuts and draws them.\n")
set(exact "(= ${PROJECT_VERSION})")

set(CPACK_DEBIAN_RUNTIME_PACKAGE_NAME "${EDLBRIDGE_PACKAGE_runtime}")
set(CPACK_DEBIAN_RUNTIME_PACKAGE_SECTION libs)
# A shlibs file lets packages built against the libraries depend on them, and the install
# runs ldconfig for the SONAME links.
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS_POLICY ">=")
# ldconfig runs through dpkg's trigger; the maintainer scripts have nothing else to do.
set(CPACK_DEBIAN_RUNTIME_PACKAGE_CONTROL_EXTRA
  "${CMAKE_CURRENT_SOURCE_DIR}/packaging/runtime/triggers"
  "${CMAKE_CURRENT_SOURCE_DIR}/packaging/runtime/postinst"
  "${CMAKE_CURRENT_SOURCE_DIR}/packaging/runtime/postrm")
set(CPACK_DEBIAN_RUNTIME_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_COMPONENT_RUNTIME_DESCRIPTION
  "edit decision list libraries: records and conversion\n${about}\nThis package holds the shared libraries libedlbridge (lists as records) and\nlibedlconvert (whole lists, timelines, change lists, pictures).")

set(CPACK_DEBIAN_DEV_PACKAGE_NAME "${EDLBRIDGE_PACKAGE_dev}")
set(CPACK_DEBIAN_DEV_PACKAGE_SECTION libdevel)
set(CPACK_DEBIAN_DEV_PACKAGE_DEPENDS "${EDLBRIDGE_PACKAGE_runtime} ${exact}")
set(CPACK_COMPONENT_DEV_DESCRIPTION
  "edit decision list libraries: development files\n${about}\nThis package holds the C headers edlbridge.h and edlconvert.h, the links to\nthe libraries, the CMake package (find_package(edlbridge)) and the pkg-config\nfiles edlbridge and edlconvert.")

set(CPACK_DEBIAN_TOOL_PACKAGE_NAME "${EDLBRIDGE_PACKAGE_tool}")
set(CPACK_DEBIAN_TOOL_PACKAGE_SECTION video)
set(CPACK_DEBIAN_TOOL_PACKAGE_DEPENDS "${EDLBRIDGE_PACKAGE_runtime} ${exact}")
set(CPACK_COMPONENT_TOOL_DESCRIPTION
  "edit decision list converter: command line\n${about}\nThis package holds the edlbridge command (types, detect, dump, convert, diff,\ntimeline, markers, cdl), its manual page and its shell completion.")

set(CPACK_DEBIAN_PYTHON_PACKAGE_NAME "${EDLBRIDGE_PACKAGE_python}")
set(CPACK_DEBIAN_PYTHON_PACKAGE_SECTION python)
set(CPACK_DEBIAN_PYTHON_PACKAGE_ARCHITECTURE all)
set(CPACK_DEBIAN_PYTHON_PACKAGE_SHLIBDEPS OFF)
set(CPACK_DEBIAN_PYTHON_PACKAGE_CONTROL_EXTRA
  "${CMAKE_CURRENT_SOURCE_DIR}/packaging/python/postinst"
  "${CMAKE_CURRENT_SOURCE_DIR}/packaging/python/prerm")
set(CPACK_DEBIAN_PYTHON_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# The module loads the libraries with ctypes by their SONAMEs, through the system's loader.
set(CPACK_DEBIAN_PYTHON_PACKAGE_DEPENDS "python3:any, ${EDLBRIDGE_PACKAGE_runtime} (>= ${PROJECT_VERSION})")
set(CPACK_COMPONENT_PYTHON_DESCRIPTION
  "edit decision list library: Python 3 module\n${about}\nThis package holds the Python 3 module edlbridge, which calls the libraries\nthrough ctypes: read, write, convert, compare and draw lists.")
include(CPack)
