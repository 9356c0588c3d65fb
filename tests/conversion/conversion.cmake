pixmorrow_add_test(NAME conversion_tests
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/run/run_texts_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/run/conversion_run_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/run/pipeline_run_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/routes/format_routes_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/run/result_form_test.cpp
  LIBS pixmorrow_conversion
  TIMEOUT 120)

# The main window's side of a run, over recording services: real mouse and key events.
find_package(Qt6 REQUIRED COMPONENTS Test)
pixmorrow_add_test(NAME conversion_window_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/run/conversion_window_test.cpp
  LIBS pixmorrow_app Qt6::Test)
add_dependencies(conversion_window_tests pixmorrow)

# Every input kind to every output type through the real routes, the codec library and the
# external tool; fixtures are generated with the reference encoders.
pixmorrow_add_test(NAME conversion_matrix_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/routes/conversion_matrix_test.cpp
  LIBS pixmorrow_conversion)
add_dependencies(conversion_matrix_tests pixmorrow_codec pixmorrow_program_data)

# Not a test: drives the window for screenshots (tests/conversion/run/screenshots.sh).
add_executable(conversion_screenshots ${CMAKE_CURRENT_LIST_DIR}/run/conversion_screenshots.cpp)
target_link_libraries(conversion_screenshots PRIVATE pixmorrow_app)
target_compile_definitions(conversion_screenshots PRIVATE PIXMORROW_SCREENSHOT_PROGRAM_DIR="${PIXMORROW_PROGRAM_DIR}")
add_dependencies(conversion_screenshots pixmorrow)

# Not a test either: a run in the middle and after a cancel (tests/conversion/run/run_screenshots.sh).
add_executable(run_screenshots ${CMAKE_CURRENT_LIST_DIR}/run/run_screenshots.cpp)
target_link_libraries(run_screenshots PRIVATE pixmorrow_app)
target_compile_definitions(run_screenshots PRIVATE PIXMORROW_SCREENSHOT_PROGRAM_DIR="${PIXMORROW_PROGRAM_DIR}")
add_dependencies(run_screenshots pixmorrow)

# ICO outputs of large, wide, square and tiny pictures through the real routes and the tool.
pixmorrow_add_test(NAME icon_output_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/routes/icon_output_test.cpp
  LIBS pixmorrow_conversion)
add_dependencies(icon_output_tests pixmorrow_codec pixmorrow_program_data)

# Colour profiles, EXIF and XMP through the real routes, read back by exiftool.
pixmorrow_add_test(NAME metadata_route_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/routes/metadata_routes_test.cpp
  LIBS pixmorrow_conversion)
add_dependencies(metadata_route_tests pixmorrow_codec pixmorrow_program_data)

# Relative names through the external tool's routes and the names its boxes show.
pixmorrow_add_test(NAME tool_route_paths_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/routes/tool_route_paths_test.cpp
  LIBS pixmorrow_conversion)
add_dependencies(tool_route_paths_tests pixmorrow_codec pixmorrow_program_data)
