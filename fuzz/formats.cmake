# The format readers, the JPEG XR entry, the TIFF decoder, the EXIF reader, the metadata
# finder and the version resource parser.
foreach(_name png gif bmp ico wbmp exif metadata)
  pixmorrow_add_fuzzer(${_name}
    SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/formats/fuzz_${_name}.cpp
    LIBS pixmorrow_formats)
endforeach()

# The decode entries alone, without the rest of the conversion library; their sources are
# built in, so that the fuzzer sees their coverage.
find_package(PkgConfig REQUIRED)
pkg_check_modules(PIXMORROW_FUZZ_JXR REQUIRED IMPORTED_TARGET libjxr)
pkg_check_modules(PIXMORROW_FUZZ_TIFF REQUIRED IMPORTED_TARGET libtiff-4)
pixmorrow_add_fuzzer(wmp
  SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/formats/fuzz_wmp.cpp
          ${PROJECT_SOURCE_DIR}/src/conversion/formats/jxr_codec.cpp
  INCLUDES ${PROJECT_SOURCE_DIR}/src
  LIBS pixmorrow_formats PkgConfig::PIXMORROW_FUZZ_JXR)
pixmorrow_add_fuzzer(tiff
  SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/formats/fuzz_tiff.cpp
          ${PROJECT_SOURCE_DIR}/src/conversion/formats/tiff_codec.cpp
  INCLUDES ${PROJECT_SOURCE_DIR}/src
  LIBS pixmorrow_formats PkgConfig::PIXMORROW_FUZZ_TIFF)

pixmorrow_add_fuzzer(version_block
  SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/formats/fuzz_version_block.cpp
          ${PROJECT_SOURCE_DIR}/src/about/version_block.cpp
  INCLUDES ${PROJECT_SOURCE_DIR}/src
  LIBS Qt6::Core)
