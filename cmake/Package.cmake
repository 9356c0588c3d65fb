# The Debian package, made by CPack from the install rules (`make package`, or `cpack -G DEB`
# in the build folder): everything under /usr, the program folder in /usr/lib/pixmorrow.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME pixmorrow)
set(CPACK_PACKAGE_VENDOR TARNWICK)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}.${PROJECT_VERSION_PATCH})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "batch image converter")
set(CPACK_PACKAGE_DESCRIPTION
  "Pixmorrow converts whole batches of pictures from one window. Queue image files from a
file dialog, a folder scan, drag and drop or the command line, pick one output format
(WEBP, PNG, APNG, JPG, JPEG, JFIF, TIF, TIFF, GIF, BMP, ICO or WMP), a quality and an
optional conversion to grayscale, and every file is decoded and written anew. An existing
file is never replaced and a source file is never touched.")
set(CPACK_PACKAGE_CONTACT "TARNWICK <support@tarnwick.example>")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://www.tarnwick.example/")
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# The shared libraries the binaries link, as dpkg-shlibdeps finds them, and the tools the
# routes run: ImageMagick for the formats the program does not read or write itself (GIF
# and ICO outputs, AVIF, PSD, HEIC, TGA, JPEG 2000 sources), ffmpeg for animated PNG in and
# out, libjxl's djxl for JPEG XL sources.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "imagemagick, ffmpeg, libjxl-tools")
# Without these the conversions all work: xdg-open opens pages and folders, Adwaita gives
# the queue its file-type icons outside a desktop session, the certificates let the update
# check and the feedback use HTTPS.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils, adwaita-icon-theme, ca-certificates")

# A purge also removes what root's runs leave in the program folder.
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${PROJECT_SOURCE_DIR}/resources/debian/postrm)

include(CPack)
