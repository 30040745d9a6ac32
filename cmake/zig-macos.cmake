# Cross-compiling for macOS with Zig's Clang and libc++ (PyPI's ziglang),
# which carries Darwin's headers and the libraries' link stubs: the core,
# its tests and tools compile and link for x86-64 or arm64 macOS here; the
# binaries cannot run here. The target, with its deployment version, comes
# from the environment (BRINDLE_ZIG_TARGET, e.g. "aarch64-macos.11.0"), as
# does the Python with ziglang installed (BRINDLE_ZIG_PYTHON); CMake's own
# compiler checks inherit both. scripts/cross.sh macos sets them.
if(NOT DEFINED ENV{BRINDLE_ZIG_TARGET})
  message(FATAL_ERROR "BRINDLE_ZIG_TARGET must name the target, e.g. aarch64-macos.11.0 (scripts/cross.sh macos)")
endif()
set(CMAKE_SYSTEM_NAME Darwin)
if("$ENV{BRINDLE_ZIG_TARGET}" MATCHES "^aarch64")
  set(CMAKE_SYSTEM_PROCESSOR arm64)
else()
  set(CMAKE_SYSTEM_PROCESSOR x86_64)
endif()
set(CMAKE_C_COMPILER "${CMAKE_CURRENT_LIST_DIR}/zig/cc")
set(CMAKE_CXX_COMPILER "${CMAKE_CURRENT_LIST_DIR}/zig/c++")
set(CMAKE_AR "${CMAKE_CURRENT_LIST_DIR}/zig/ar" CACHE FILEPATH "")
set(CMAKE_RANLIB "${CMAKE_CURRENT_LIST_DIR}/zig/ranlib" CACHE FILEPATH "")
# Zig knows its target; CMake must not add Apple's -arch or -isysroot.
set(CMAKE_OSX_ARCHITECTURES "" CACHE STRING "")
set(CMAKE_OSX_SYSROOT "" CACHE PATH "")
set(CMAKE_OSX_DEPLOYMENT_TARGET "" CACHE STRING "")
# Zig's copy of Darwin's <math.h> asks <float.h> for INFINITY and NAN alone,
# and libc++'s guard then keeps a later <cfloat> from giving FLT_MAX and the
# rest; <float.h> is included whole before anything else instead.
# The target is a flag, not the wrappers' business, so that ccache, which
# knows the compiler by its file, tells the two targets' objects apart.
set(CMAKE_C_FLAGS_INIT "-target $ENV{BRINDLE_ZIG_TARGET} -include float.h")
set(CMAKE_CXX_FLAGS_INIT "-target $ENV{BRINDLE_ZIG_TARGET} -include float.h")
# Nothing of the build machine's: no headers, libraries or packages.
set(CMAKE_FIND_ROOT_PATH "${CMAKE_BINARY_DIR}/no-system-root")
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
