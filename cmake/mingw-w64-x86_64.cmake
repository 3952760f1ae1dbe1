# Cross build for 64-bit Windows with Debian's MinGW-w64 toolchain
# (packages g++-mingw-w64-x86-64-posix, binutils-mingw-w64-x86-64).
# The programs link the C and C++ runtimes statically, so each .exe runs on
# its own without any DLL beside it. Used by scripts/windows.sh together with
# -DKVL_CONSOLE_ONLY=ON.
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

# -static takes libstdc++, libgcc and winpthread into the .exe.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
# -O2 as the Linux builds: GCC 12 at -O3 reports a false -Wrestrict overlap
# inside std::string's operator+ (GCC bug 105329), which -Werror would stop on.
set(CMAKE_CXX_FLAGS_RELEASE "-O2 -DNDEBUG" CACHE STRING "Flags of the Release build")
# The .exe files are shipped as they are: no symbols.
set(CMAKE_EXE_LINKER_FLAGS_RELEASE_INIT "-s")
