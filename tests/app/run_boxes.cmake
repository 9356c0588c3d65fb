# The run's message boxes answered with real input events, on a virtual display.
find_package(Qt6 REQUIRED COMPONENTS Test)
pixmorrow_add_display_test(NAME run_boxes_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/run_boxes_test.cpp
  LIBS pixmorrow_app Qt6::Test)
add_dependencies(run_boxes_tests pixmorrow pixmorrow_codec pixmorrow_program_data)
