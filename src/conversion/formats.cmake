# The picture loader, the work bitmap, the BMP writer and the imaging component (TIFF through
# libtiff, JPEG XR through jxrlib).
find_package(PkgConfig REQUIRED)
pkg_check_modules(PIXMORROW_TIFF REQUIRED IMPORTED_TARGET libtiff-4)
target_link_libraries(pixmorrow_conversion_core PUBLIC pixmorrow_formats PkgConfig::PIXMORROW_TIFF)
