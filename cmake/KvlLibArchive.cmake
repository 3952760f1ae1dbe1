# The archive library (libarchive): reads the .zip and .7z archives campaign
# sets come in. After this file a folder links LibArchive::LibArchive and
# needs nothing else; a second find_package(LibArchive) finds the same.
#
# On Linux it is Debian's libarchive-dev. The Windows build takes the static
# libraries scripts/windows-libarchive.sh builds from Debian's sources
# (KVL_WIN_LIBARCHIVE, which scripts/windows.sh passes): libarchive's header
# then must not declare DLL imports (LIBARCHIVE_STATIC), and the program links
# the compression libraries libarchive was built with, and the Windows
# libraries they call (advapi32 for its hashes, kernel32 and the C runtime
# come anyway).
if(WIN32)
  set(KVL_WIN_LIBARCHIVE "$ENV{KVL_WIN_LIBARCHIVE}" CACHE PATH
    "The archive library built for Windows (scripts/windows-libarchive.sh --path)")
  if(NOT EXISTS "${KVL_WIN_LIBARCHIVE}/.complete")
    message(FATAL_ERROR "No archive library for Windows in '${KVL_WIN_LIBARCHIVE}': "
      "bash scripts/windows-libarchive.sh builds it; pass its path as -DKVL_WIN_LIBARCHIVE=")
  endif()
  # Set, not searched for: the cross build searches only the MinGW-w64 tree,
  # and a new version of the library is a new folder.
  set(LibArchive_INCLUDE_DIR "${KVL_WIN_LIBARCHIVE}/include" CACHE PATH "libarchive include directory" FORCE)
  set(LibArchive_LIBRARY "${KVL_WIN_LIBARCHIVE}/lib/libarchive.a" CACHE FILEPATH "libarchive library" FORCE)
endif()

find_package(LibArchive REQUIRED)

if(WIN32)
  set_property(TARGET LibArchive::LibArchive APPEND PROPERTY INTERFACE_COMPILE_DEFINITIONS LIBARCHIVE_STATIC)
  set_property(TARGET LibArchive::LibArchive APPEND PROPERTY INTERFACE_LINK_LIBRARIES
    "${KVL_WIN_LIBARCHIVE}/lib/liblzma.a" "${KVL_WIN_LIBARCHIVE}/lib/libbz2.a" "${KVL_WIN_LIBARCHIVE}/lib/libz.a"
    advapi32)
endif()
