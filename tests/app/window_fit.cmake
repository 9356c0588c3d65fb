# Every window at the default font and with 1.5 times larger text, without and with
# high-DPI scaling: one test executable, its cases registered once per font setting.
find_package(Qt6 REQUIRED COMPONENTS Test)
add_executable(window_fit_tests ${CMAKE_CURRENT_LIST_DIR}/window_fit_test.cpp)
target_link_libraries(window_fit_tests PRIVATE pixmorrow_app pixmorrow_test_support Qt6::Test
  GTest::gtest GTest::gmock)
target_include_directories(window_fit_tests PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/..)
set_target_properties(window_fit_tests PROPERTIES
  CROSSCOMPILING_EMULATOR "${PROJECT_SOURCE_DIR}/tests/support/with_display.sh")
add_dependencies(window_fit_tests pixmorrow)
# PIXMORROW_TEST_TEXT picks the font setting before the application starts (window_fit_test.cpp).
foreach(_text IN ITEMS default_font large_font large_font_scaled)
  gtest_discover_tests(window_fit_tests
    DISCOVERY_MODE PRE_TEST
    TEST_PREFIX "${_text}."
    PROPERTIES TIMEOUT 120 ENVIRONMENT "PIXMORROW_TEST_TEXT=${_text}"
    DISCOVERY_TIMEOUT 60)
endforeach()
