add_executable(bench_queue ${CMAKE_CURRENT_SOURCE_DIR}/queue_bench.cpp)
target_link_libraries(bench_queue PRIVATE pixmorrow_queue benchmark::benchmark)
