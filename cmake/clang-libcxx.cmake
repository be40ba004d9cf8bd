# Builds with clang and libc++, the C++ standard library of macOS, on Linux (Debian's clang,
# libc++-dev and libc++abi-dev), so that habits that only libstdc++ forgives are caught:
#   cmake -S . -B build-libcxx -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/clang-libcxx.cmake
set(CMAKE_C_COMPILER clang)
set(CMAKE_CXX_COMPILER clang++)
set(CMAKE_CXX_FLAGS_INIT "-stdlib=libc++")
set(CMAKE_EXE_LINKER_FLAGS_INIT "-stdlib=libc++")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-stdlib=libc++")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-stdlib=libc++")

# Debian's prebuilt GoogleTest is built against libstdc++.
set(EDLBRIDGE_GTEST_FROM_SOURCE ON CACHE BOOL "Compile GoogleTest from its sources")
