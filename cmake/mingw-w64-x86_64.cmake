# Cross build for 64-bit Windows with Debian's MinGW-w64 toolchain
# (packages g++-mingw-w64-x86-64-posix, binutils-mingw-w64-x86-64).
# The programs link the C and C++ runtimes statically, so each .exe runs on
# its own without any DLL beside it. Used by scripts/windows.sh together with
# -DKVL_CONSOLE_ONLY=ON.
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-x86_64-base.cmake)

# -static takes libstdc++, libgcc and winpthread into the .exe.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
# The .exe files are shipped as they are: no symbols.
set(CMAKE_EXE_LINKER_FLAGS_RELEASE_INIT "-s")
