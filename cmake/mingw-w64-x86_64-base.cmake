# The MinGW-w64 cross compilers for 64-bit Windows (Debian's packages
# g++-mingw-w64-x86-64-posix and binutils-mingw-w64-x86-64), with the C and
# C++ runtimes as DLLs. The toolkit build (scripts/windows-toolkit.sh) uses
# this file as it is; mingw-w64-x86_64.cmake adds static runtimes for the
# console converters.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(KVL_MINGW_PREFIX x86_64-w64-mingw32)
# The posix threads flavour: std::thread and friends need it, and the win32
# flavour of GCC 12 has no <mutex> or <thread>.
set(CMAKE_C_COMPILER ${KVL_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${KVL_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${KVL_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${KVL_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# -O2 as the Linux builds: GCC 12 at -O3 reports a false -Wrestrict overlap
# inside std::string's operator+ (GCC bug 105329), which -Werror would stop on.
set(CMAKE_CXX_FLAGS_RELEASE "-O2 -DNDEBUG" CACHE STRING "Flags of the Release build")
