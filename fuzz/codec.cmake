# The codec library's decoding of bytes from memory, whatever their format.
add_executable(fuzz_codec_decode ${CMAKE_CURRENT_SOURCE_DIR}/codec_decode_fuzzer.cpp)
target_compile_options(fuzz_codec_decode PRIVATE -fsanitize=fuzzer)
target_link_options(fuzz_codec_decode PRIVATE -fsanitize=fuzzer)
target_link_libraries(fuzz_codec_decode PRIVATE pixmorrow_codec)
# The limits it checks the library's images against.
target_include_directories(fuzz_codec_decode PRIVATE ${PROJECT_SOURCE_DIR}/codec)
set_target_properties(fuzz_codec_decode PROPERTIES AUTOMOC OFF BUILD_RPATH ${PIXMORROW_PROGRAM_DIR})
