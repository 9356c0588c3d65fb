add_executable(bench_about_rain ${CMAKE_CURRENT_SOURCE_DIR}/about_rain_bench.cpp)
target_include_directories(bench_about_rain PRIVATE ${PROJECT_SOURCE_DIR}/tests)
target_link_libraries(bench_about_rain PRIVATE pixmorrow_about benchmark::benchmark)
