add_executable(bench_queue_view ${CMAKE_CURRENT_SOURCE_DIR}/queue_view_bench.cpp)
target_include_directories(bench_queue_view PRIVATE ${PROJECT_SOURCE_DIR}/tests)
target_link_libraries(bench_queue_view PRIVATE pixmorrow_app benchmark::benchmark)
