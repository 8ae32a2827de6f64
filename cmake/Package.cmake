# The Debian package (cpack -G DEB, or scripts/package.sh). The libraries'
# packages are found from the executables by dpkg-shlibdeps; what the program
# loads by name rather than links is named here: Qt's platform plugins, and
# the fonts that stand in for the form's fonts.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME torvel)
# The whole project version: CPack's own default keeps only three of its parts.
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "TORVEL")
set(CPACK_PACKAGE_CONTACT "TORVEL developers <torvel@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "batch file renamer into numbered series")
string(CONCAT CPACK_PACKAGE_DESCRIPTION
    "TORVEL gives a set of files numbered names (an identifier, a number with a\n"
    "fixed count of digits and an extension), renaming them in place or moving\n"
    "or copying them into another folder, and sets their modification times and\n"
    "attributes. Every run can be taken back. Its window is in Japanese.")
set(CPACK_PACKAGE_INSTALL_DIRECTORY /usr)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, fonts-ipafont-gothic, fonts-ipafont-mincho")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_STRIP_FILES ON)
include(CPack)
