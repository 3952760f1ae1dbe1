# The Debian package of the suite: one package, korval-tools, holding all
# seven programs and everything packaging/ installs. scripts/package.sh
# configures a release tree and runs cpack; the package lands in dist/.
#
# Runtime dependencies are not listed by hand: dpkg-shlibdeps reads the
# libraries each installed program links (Qt, OpenGL, libarchive for
# folioswap's set archives, the C++ runtime) and names the Debian packages
# that provide them; scripts/check-package.sh checks that Qt and libarchive
# are among them.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME ${KVL_PACKAGE_NAME})
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "KORVAL tools team")
set(CPACK_PACKAGE_CONTACT "KORVAL tools team <korval-tools@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "modding tools for the KORVAL flight simulation")
set(CPACK_PACKAGE_DESCRIPTION [=[
Seven small tools for people who mod KORVAL, the World War II air-combat
flight simulation. They read and write the game's own data files:
 * modelconv converts .3DB models to VKM models and text dumps;
 * modelview (VKM! Studio) shows VKM models in a 3D window;
 * campconv and squadconv turn campaign and squadron files into
   annotated text and back;
 * planesedit edits the aircraft records of planes.dat;
 * folioswap (Borvex) swaps sets of campaign files in and out of the
   game folder;
 * fltpatch (Orlith's Flight Editor) edits flight-model files.
The package brings desktop entries, file types for .vkm, .3db and .flt
files, manual pages and a sample game folder to try the tools on.]=])
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Completion of the options works where bash-completion is installed.
set(CPACK_DEBIAN_PACKAGE_SUGGESTS bash-completion)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS OFF)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# Folders the package creates are 0755 whatever the builder's umask is.
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
  OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

include(CPack)
