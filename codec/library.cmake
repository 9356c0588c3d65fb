# libpixmorrow_codec.so: the codec library the program loads at start, built into the
# program folder and installed beside the executable.
find_package(PkgConfig REQUIRED)
pkg_check_modules(PMC_DEPS REQUIRED IMPORTED_TARGET libpng libwebp libwebpdemux libwebpmux librsvg-2.0 cairo)
find_package(JPEG REQUIRED)

file(GLOB _codec_sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/src/*.cpp)
add_library(pixmorrow_codec SHARED ${_codec_sources})
target_include_directories(pixmorrow_codec PUBLIC ${CMAKE_CURRENT_SOURCE_DIR}/include)
target_compile_definitions(pixmorrow_codec PRIVATE PMC_BUILDING_LIBRARY)
target_link_libraries(pixmorrow_codec PRIVATE pixmorrow_formats PkgConfig::PMC_DEPS JPEG::JPEG)
# Only the pmc_ functions leave the library; the readers linked in stay private.
target_link_options(pixmorrow_codec PRIVATE
  -Wl,--version-script=${CMAKE_CURRENT_SOURCE_DIR}/pixmorrow_codec.map)
# Sanitizer runtimes live in the executable, so only plain builds can insist on no undefined.
if(NOT PIXMORROW_SANITIZE AND NOT PIXMORROW_FUZZ)
  target_link_options(pixmorrow_codec PRIVATE -Wl,--no-undefined)
endif()
set_target_properties(pixmorrow_codec PROPERTIES
  C_VISIBILITY_PRESET hidden
  CXX_VISIBILITY_PRESET hidden
  VISIBILITY_INLINES_HIDDEN ON
  AUTOMOC OFF
  LINK_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/pixmorrow_codec.map
  LIBRARY_OUTPUT_DIRECTORY ${PIXMORROW_PROGRAM_DIR})
install(TARGETS pixmorrow_codec LIBRARY DESTINATION lib/pixmorrow)
if(PIXMORROW_FUZZ)
  # Coverage feedback for the fuzz targets that drive the library.
  target_compile_options(pixmorrow_codec PRIVATE -fsanitize=fuzzer-no-link)
endif()
