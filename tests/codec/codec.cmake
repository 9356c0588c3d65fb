pixmorrow_add_test(NAME codec_tests
  SOURCES
    ${CMAKE_CURRENT_SOURCE_DIR}/codec_decode_test.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/codec_draw_encode_test.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/codec_errors_test.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/codec_library_test.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/codec_metadata_test.cpp
  LIBS pixmorrow_conversion)
# The tests load the library from the program folder.
add_dependencies(codec_tests pixmorrow_codec)
