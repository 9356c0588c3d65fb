# The conversion engine as a command-line program, timed by convert_photos.sh against other
# converters over the same files.
add_executable(pixmorrow_convert ${CMAKE_CURRENT_LIST_DIR}/convert.cpp)
target_link_libraries(pixmorrow_convert PRIVATE pixmorrow_conversion)
target_compile_definitions(pixmorrow_convert PRIVATE PIXMORROW_BENCH_PROGRAM_DIR="${PIXMORROW_PROGRAM_DIR}")
add_dependencies(pixmorrow_convert pixmorrow_codec pixmorrow_program_data)
