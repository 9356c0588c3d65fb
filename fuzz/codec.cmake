# The codec library's decoding of bytes from memory, whatever their format; it includes the
# limits it checks the library's images against.
pixmorrow_add_fuzzer(codec_decode
  SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/codec_decode_fuzzer.cpp
  INCLUDES ${PROJECT_SOURCE_DIR}/codec
  LIBS pixmorrow_codec)
set_target_properties(fuzz_codec_decode PROPERTIES AUTOMOC OFF)
