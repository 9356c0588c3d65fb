# Fuzz targets of the format readers, the JPEG XR entry, the EXIF reader, the metadata finder
# and the version resource parser. Seeds are in fuzz/seeds/<name>/.
function(pixmorrow_formats_fuzzer name)
  add_executable(fuzz_${name} ${CMAKE_CURRENT_SOURCE_DIR}/formats/fuzz_${name}.cpp ${ARGN})
  target_compile_options(fuzz_${name} PRIVATE -fsanitize=fuzzer)
  target_link_options(fuzz_${name} PRIVATE -fsanitize=fuzzer)
endfunction()

foreach(_name png gif bmp ico exif metadata)
  pixmorrow_formats_fuzzer(${_name})
  target_link_libraries(fuzz_${_name} PRIVATE pixmorrow_formats)
endforeach()

# The decode entry alone, without the rest of the conversion library.
find_package(PkgConfig REQUIRED)
pkg_check_modules(PIXMORROW_FUZZ_JXR REQUIRED IMPORTED_TARGET libjxr)
pixmorrow_formats_fuzzer(wmp ${PROJECT_SOURCE_DIR}/src/conversion/formats/jxr_codec.cpp)
target_include_directories(fuzz_wmp PRIVATE ${PROJECT_SOURCE_DIR}/src)
target_link_libraries(fuzz_wmp PRIVATE pixmorrow_formats PkgConfig::PIXMORROW_FUZZ_JXR)

# The parser's own source, so that it is instrumented for coverage like the target.
pixmorrow_formats_fuzzer(version_block ${PROJECT_SOURCE_DIR}/src/about/version_block.cpp)
target_include_directories(fuzz_version_block PRIVATE ${PROJECT_SOURCE_DIR}/src)
target_link_libraries(fuzz_version_block PRIVATE Qt6::Core)
