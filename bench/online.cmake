add_executable(bench_online online_bench.cpp)
target_link_libraries(bench_online PRIVATE pixmorrow_online benchmark::benchmark)
