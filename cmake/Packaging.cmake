# The Debian package of the native vantle-cli with its manual page: `cpack --preset deb` after a
# build of the native preset (or `cpack --config build/native/CPackConfig.cmake`).
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME vantle-cli)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Vantle developers <developers@vantle.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "trim images to a fixed output size, without a window")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "vantle-cli runs the trim job of the Vantle desktop program on image files and folders:\n"
    "it crops the largest centred rectangle of the output's ratio (or a given one, optionally\n"
    "straightened), resizes it to exactly the output size and writes BMP, PNG, JPEG, TIFF or GIF\n"
    "under an automatic name, several files at once.")
string(REPLACE ";" "" CPACK_DEBIAN_PACKAGE_DESCRIPTION "${CPACK_DEBIAN_PACKAGE_DESCRIPTION}")
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
# Depends from the libraries the binary links (libjpeg62-turbo, zlib1g, the C++ runtime).
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/package)
include(CPack)
