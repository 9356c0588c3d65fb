add_executable(bench_settings ${CMAKE_CURRENT_SOURCE_DIR}/settings_bench.cpp)
target_link_libraries(bench_settings PRIVATE pixmorrow_app benchmark::benchmark)
target_compile_definitions(bench_settings PRIVATE
  SHIPPED_LANGUAGES="${PROJECT_SOURCE_DIR}/resources/Languages")
