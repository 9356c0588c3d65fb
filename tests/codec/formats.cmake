# The format readers and the atomic file writer, checked against reference decoders.
find_package(PNG REQUIRED)
file(GLOB _formats_test_sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/formats/*.cpp)
pixmorrow_add_test(NAME formats_tests SOURCES ${_formats_test_sources} LIBS pixmorrow_formats PNG::PNG)
target_include_directories(formats_tests PRIVATE ${CMAKE_CURRENT_SOURCE_DIR})
target_compile_definitions(formats_tests PRIVATE
  PIXMORROW_FORMATS_FIXTURES="${PROJECT_SOURCE_DIR}/tests/codec/formats/fixtures")
