# The external tool's helper process: its wire format, and the real helper with a test build
# of it whose marker file names make it crash or hang like a broken coder.
pixmorrow_magick_helper(pixmorrow_magick_helper_hooked ${CMAKE_CURRENT_BINARY_DIR}/hooked-helper
  PIXMORROW_HELPER_TEST_HOOKS)
pixmorrow_add_test(NAME helper_tests
  SOURCES
    ${CMAKE_CURRENT_SOURCE_DIR}/external/helper_protocol_test.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/external/tool_helper_test.cpp
  LIBS pixmorrow_conversion)
target_compile_definitions(helper_tests PRIVATE
  PIXMORROW_TEST_HOOKED_HELPER="$<TARGET_FILE:pixmorrow_magick_helper_hooked>")
add_dependencies(helper_tests pixmorrow_program_data pixmorrow_magick_helper_hooked)
