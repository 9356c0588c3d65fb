# Our PNG reader against libpng on the same generated files.
find_package(PNG REQUIRED)
add_executable(bench_png ${CMAKE_CURRENT_SOURCE_DIR}/formats/bench_png.cpp)
target_link_libraries(bench_png PRIVATE pixmorrow_formats PNG::PNG benchmark::benchmark)
# The libpng reading it is timed beside is the one the conformance tests compare with.
target_include_directories(bench_png PRIVATE ${PROJECT_SOURCE_DIR}/tests)

# The resampler of resizing, timed against libvips by bench/resample_vs_vips.sh.
add_executable(bench_resample ${CMAKE_CURRENT_SOURCE_DIR}/formats/bench_resample.cpp)
target_link_libraries(bench_resample PRIVATE pixmorrow_formats benchmark::benchmark)
