pixmorrow_add_test(NAME bridge_tests
  SOURCES
    ${CMAKE_CURRENT_SOURCE_DIR}/external/bridge_test_files.h
    ${CMAKE_CURRENT_SOURCE_DIR}/external/command_line_test.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/external/command_runner_test.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/external/imagemagick_tool_test.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/external/tool_fence_test.cpp
  LIBS pixmorrow_conversion)
# The real-tool tests run the launcher laid out in the program folder.
add_dependencies(bridge_tests pixmorrow_program_data)
