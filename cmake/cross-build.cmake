# Settings of a cross build (for Windows with mingw-w64, cmake/mingw-w64-x86_64.cmake).

# The tool's JSON library is header-only. The build machine's copy of it serves the target
# too, but its include folder also holds the build machine's C library headers, which must
# not reach the cross compiler: the JSON headers alone are copied into the build tree and
# found from there.
if(EDLBRIDGE_BUILD_TOOLS OR EDLBRIDGE_BUILD_TESTS)
  find_path(EDLBRIDGE_HOST_JSON_INCLUDE nlohmann/json.hpp
            PATHS /usr/include /usr/local/include NO_CMAKE_FIND_ROOT_PATH NO_DEFAULT_PATH)
  if(EDLBRIDGE_HOST_JSON_INCLUDE)
    set(json_copy "${CMAKE_BINARY_DIR}/host-headers")
    file(COPY "${EDLBRIDGE_HOST_JSON_INCLUDE}/nlohmann" DESTINATION "${json_copy}")
    # Where the version is defined moved between releases.
    set(json_major "")
    foreach(header json.hpp detail/abi_macros.hpp)
      if(EXISTS "${EDLBRIDGE_HOST_JSON_INCLUDE}/nlohmann/${header}")
        file(STRINGS "${EDLBRIDGE_HOST_JSON_INCLUDE}/nlohmann/${header}" found
             REGEX "#define NLOHMANN_JSON_VERSION_MAJOR [0-9]+")
        string(APPEND json_major "${found}")
      endif()
    endforeach()
    string(REGEX MATCH "MAJOR [0-9]+" json_major "${json_major}")
    string(REPLACE "MAJOR " "" json_major "${json_major}")
    file(WRITE "${CMAKE_FIND_PACKAGE_REDIRECTS_DIR}/nlohmann_json-config.cmake"
      "if(NOT TARGET nlohmann_json::nlohmann_json)\n"
      "  add_library(nlohmann_json::nlohmann_json INTERFACE IMPORTED)\n"
      "  set_target_properties(nlohmann_json::nlohmann_json PROPERTIES\n"
      "    INTERFACE_INCLUDE_DIRECTORIES \"${json_copy}\")\n"
      "endif()\n")
    file(WRITE "${CMAKE_FIND_PACKAGE_REDIRECTS_DIR}/nlohmann_json-config-version.cmake"
      "set(PACKAGE_VERSION ${json_major})\n"
      "if(PACKAGE_FIND_VERSION_MAJOR EQUAL ${json_major})\n"
      "  set(PACKAGE_VERSION_COMPATIBLE TRUE)\n"
      "endif()\n")
  endif()
endif()

# The command line's option parser is header-only too, and is served the same way.
if(EDLBRIDGE_BUILD_TOOLS)
  find_path(EDLBRIDGE_HOST_CLI11_INCLUDE CLI/CLI.hpp
            PATHS /usr/include /usr/local/include NO_CMAKE_FIND_ROOT_PATH NO_DEFAULT_PATH)
  if(EDLBRIDGE_HOST_CLI11_INCLUDE)
    set(cli11_copy "${CMAKE_BINARY_DIR}/host-headers-cli11")
    file(COPY "${EDLBRIDGE_HOST_CLI11_INCLUDE}/CLI" DESTINATION "${cli11_copy}")
    file(STRINGS "${EDLBRIDGE_HOST_CLI11_INCLUDE}/CLI/Version.hpp" cli11_major
         REGEX "#define CLI11_VERSION_MAJOR [0-9]+")
    string(REGEX MATCH "[0-9]+$" cli11_major "${cli11_major}")
    file(WRITE "${CMAKE_FIND_PACKAGE_REDIRECTS_DIR}/cli11-config.cmake"
      "if(NOT TARGET CLI11::CLI11)\n"
      "  add_library(CLI11::CLI11 INTERFACE IMPORTED)\n"
      "  set_target_properties(CLI11::CLI11 PROPERTIES\n"
      "    INTERFACE_INCLUDE_DIRECTORIES \"${cli11_copy}\")\n"
      "endif()\n")
    file(WRITE "${CMAKE_FIND_PACKAGE_REDIRECTS_DIR}/cli11-config-version.cmake"
      "set(PACKAGE_VERSION ${cli11_major})\n"
      "set(PACKAGE_VERSION_COMPATIBLE TRUE)\n")
  endif()
endif()

# RapidJSON, which reads timelines, is header-only too: its headers alone are copied the
# same way.
find_path(EDLBRIDGE_HOST_RAPIDJSON_INCLUDE rapidjson/reader.h
          PATHS /usr/include /usr/local/include NO_CMAKE_FIND_ROOT_PATH NO_DEFAULT_PATH)
if(EDLBRIDGE_HOST_RAPIDJSON_INCLUDE)
  set(rapidjson_copy "${CMAKE_BINARY_DIR}/host-headers/rapidjson-only")
  file(COPY "${EDLBRIDGE_HOST_RAPIDJSON_INCLUDE}/rapidjson" DESTINATION "${rapidjson_copy}")
  set(RAPIDJSON_INCLUDE_DIR "${rapidjson_copy}" CACHE PATH "RapidJSON's headers" FORCE)
endif()
