# The format readers and the atomic file writer, checked against reference decoders.
# Its hostile inputs would hang or take minutes in a reader that follows their headers: the
# time-out is their bound.
find_package(PNG REQUIRED)
find_package(JPEG REQUIRED)
file(GLOB _formats_test_sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/formats/*.cpp)
pixmorrow_add_test(NAME formats_tests SOURCES ${_formats_test_sources}
  LIBS pixmorrow_formats PNG::PNG JPEG::JPEG TIMEOUT 120)
target_include_directories(formats_tests PRIVATE ${CMAKE_CURRENT_SOURCE_DIR})
target_compile_definitions(formats_tests PRIVATE
  PIXMORROW_FUZZ_CRASHES="${PROJECT_SOURCE_DIR}/fuzz/crashes")
