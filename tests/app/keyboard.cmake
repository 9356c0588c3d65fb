# The windows from the keyboard alone and as screen readers see them: real key events on a
# virtual display.
find_package(Qt6 REQUIRED COMPONENTS Test)
pixmorrow_add_display_test(NAME keyboard_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/keyboard_test.cpp ${CMAKE_CURRENT_LIST_DIR}/window_keys_test.cpp
  LIBS pixmorrow_app Qt6::Test)
target_include_directories(keyboard_tests PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/..)
add_dependencies(keyboard_tests pixmorrow)
