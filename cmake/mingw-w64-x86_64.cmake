# Cross-compiles for 64-bit Windows with Debian's mingw-w64 (g++-mingw-w64-x86-64-posix):
#   cmake -S . -B build-mingw -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake
# The posix flavour of the compiler is the one with std::thread.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(EDLBRIDGE_MINGW_TRIPLET x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${EDLBRIDGE_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${EDLBRIDGE_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${EDLBRIDGE_MINGW_TRIPLET}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${EDLBRIDGE_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# The compiler's own runtime (libgcc, libstdc++, winpthread) is linked in, so the DLL and
# the programs need nothing beside them but the system's DLLs.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static")

# Test programs built here run under Wine when there is one.
find_program(EDLBRIDGE_WINE NAMES wine wine64)
if(EDLBRIDGE_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${EDLBRIDGE_WINE})
endif()

# Debian's prebuilt GoogleTest is built for Linux.
set(EDLBRIDGE_GTEST_FROM_SOURCE ON CACHE BOOL "Compile GoogleTest from its sources")
