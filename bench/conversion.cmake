# The conversion engine as the first command-line driver, kept for metadata_bytes.sh, which
# compares this build's outputs with an earlier build's driver; convert_photos.sh and
# cli_startup.sh time pixmorrow-convert itself.
add_executable(pixmorrow_convert ${CMAKE_CURRENT_LIST_DIR}/convert.cpp)
target_link_libraries(pixmorrow_convert PRIVATE pixmorrow_conversion_core)
target_compile_definitions(pixmorrow_convert PRIVATE PIXMORROW_BENCH_PROGRAM_DIR="${PIXMORROW_PROGRAM_DIR}")
add_dependencies(pixmorrow_convert pixmorrow_codec pixmorrow_program_data)
