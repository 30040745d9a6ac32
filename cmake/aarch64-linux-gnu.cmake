# Cross-compiling for ARM64 Linux with Debian's aarch64-linux-gnu toolchain
# (g++-aarch64-linux-gnu). Everything the target links, glibc, libstdc++,
# and zlib (for the tests alone), comes from the arm64 Debian root named by the
# environment variable BRINDLE_ARM64_ROOT (scripts/arm64-root.sh makes one),
# used as the sysroot: the build machine's own libraries are never searched.
# A library built from this tree by CMake needs nothing more.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR aarch64)
set(CMAKE_C_COMPILER aarch64-linux-gnu-gcc)
set(CMAKE_CXX_COMPILER aarch64-linux-gnu-g++)

# Read from the environment, which CMake's own compiler checks inherit too.
if(NOT DEFINED ENV{BRINDLE_ARM64_ROOT} OR NOT IS_DIRECTORY "$ENV{BRINDLE_ARM64_ROOT}/usr/lib/aarch64-linux-gnu")
  message(FATAL_ERROR "BRINDLE_ARM64_ROOT must name an arm64 Debian root (scripts/arm64-root.sh)")
endif()
set(CMAKE_SYSROOT "$ENV{BRINDLE_ARM64_ROOT}")
set(CMAKE_FIND_ROOT_PATH "$ENV{BRINDLE_ARM64_ROOT}")
# Programs run on the build machine; libraries, headers and packages are the target's.
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
set(ENV{PKG_CONFIG_SYSROOT_DIR} "$ENV{BRINDLE_ARM64_ROOT}")
set(ENV{PKG_CONFIG_LIBDIR} "$ENV{BRINDLE_ARM64_ROOT}/usr/lib/aarch64-linux-gnu/pkgconfig:$ENV{BRINDLE_ARM64_ROOT}/usr/share/pkgconfig")
