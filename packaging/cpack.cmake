# The Debian package, made by CPack from the install rules:
#
#   cmake --build --preset release --target package
#
# gives larkspur_<version>_amd64.deb in the build folder. Its dependencies are
# read from the programs by dpkg-shlibdeps (package dpkg-dev).
# Included from the top-level CMakeLists.txt, so that `package` is a target
# of the whole build; nothing else in the build needs CPack.

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME larkspur)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The Larkspur Project")
set(CPACK_PACKAGE_CONTACT "The Larkspur Project <larkspur@example.org>")
set(CPACK_PACKAGE_HOMEPAGE_URL https://larkspur.example.org/)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "small, fast editor for INI configuration files")
# Lines of the long description as they go into the control file: Debian
# wants them under 80 columns, and CPack does not wrap them.
string(JOIN "\n" CPACK_PACKAGE_DESCRIPTION
  "Larkspur shows the sections and keys of an INI file as a tree; the"
  "selected key's value is edited in place, sections and keys are added and"
  "deleted, and every change is written to disk at once. Writes keep the"
  "file's line ends, encoding and untouched lines byte for byte and go"
  "through a temporary file; a backup is kept beside the file before every"
  "whole-file rewrite."
  ""
  "The package also holds larkspur-cli, which reads and edits INI files the"
  "same way from scripts, with its bash completion.")

# Installed where Debian's own packages go; the menu entry's Exec= line is
# written while installing, from the prefix the install sees, so the files
# are staged with DESTDIR under the real prefix.
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_INSTALL_PREFIX /usr)
set(CPACK_SET_DESTDIR ON)
# Stripped as dh_strip strips, after staging (strip.cmake).
# Then the lintian overrides are added (lintian.cmake).
set(CPACK_LARKSPUR_STRIP ${CMAKE_STRIP})
set(CPACK_LARKSPUR_LINTIAN_OVERRIDES ${CMAKE_CURRENT_LIST_DIR}/debian/lintian-overrides)
set(CPACK_PRE_BUILD_SCRIPTS ${CMAKE_CURRENT_LIST_DIR}/strip.cmake ${CMAKE_CURRENT_LIST_DIR}/lintian.cmake)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION editors)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)

include(CPack)
