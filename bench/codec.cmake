# The codec library: in-process timings, and a command-line runner of its route for the
# whole-process comparisons of bench/codec.sh.
add_executable(bench_codec ${CMAKE_CURRENT_SOURCE_DIR}/codec_bench.cpp)
target_link_libraries(bench_codec PRIVATE pixmorrow_codec benchmark::benchmark)
add_executable(pixmorrow_codec_cli ${CMAKE_CURRENT_SOURCE_DIR}/codec_cli.cpp)
target_link_libraries(pixmorrow_codec_cli PRIVATE pixmorrow_codec)
set_target_properties(bench_codec pixmorrow_codec_cli PROPERTIES AUTOMOC OFF BUILD_RPATH ${PIXMORROW_PROGRAM_DIR})
