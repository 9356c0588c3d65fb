# The picture loader, the work bitmap, the BMP writer, the imaging component and the
# animated-PNG check.
file(GLOB _conversion_formats_sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/formats/*.cpp)
pixmorrow_add_test(NAME conversion_formats_tests SOURCES ${_conversion_formats_sources} LIBS pixmorrow_conversion)
target_include_directories(conversion_formats_tests PRIVATE ${PROJECT_SOURCE_DIR}/tests/codec)
target_compile_definitions(conversion_formats_tests PRIVATE
  PIXMORROW_FUZZ_CRASHES="${PROJECT_SOURCE_DIR}/fuzz/crashes")
