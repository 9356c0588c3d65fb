# The picture loader, the work bitmap, the BMP writer and the imaging component (TIFF through
# libtiff, JPEG XR through jxrlib).
find_package(PkgConfig REQUIRED)
pkg_check_modules(PIXMORROW_TIFF REQUIRED IMPORTED_TARGET libtiff-4)
pkg_check_modules(PIXMORROW_JXR REQUIRED IMPORTED_TARGET libjxr)
target_link_libraries(pixmorrow_conversion PUBLIC pixmorrow_formats PkgConfig::PIXMORROW_TIFF)
# jxrlib's headers define Windows-style macros; only jxr_codec.cpp sees them.
target_link_libraries(pixmorrow_conversion PRIVATE PkgConfig::PIXMORROW_JXR)
