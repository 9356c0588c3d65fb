# The animated-PNG test walks the chunks of any file the user queues. Its source is built
# into the target itself, so the fuzzer sees its coverage.
add_executable(fuzz_animated_png
  ${CMAKE_CURRENT_SOURCE_DIR}/animated_png_fuzz.cpp
  ${PROJECT_SOURCE_DIR}/src/conversion/formats/animated_png.cpp)
target_include_directories(fuzz_animated_png PRIVATE ${PROJECT_SOURCE_DIR}/src)
target_link_libraries(fuzz_animated_png PRIVATE Qt6::Core)
target_compile_options(fuzz_animated_png PRIVATE -fsanitize=fuzzer)
target_link_options(fuzz_animated_png PRIVATE -fsanitize=fuzzer)
