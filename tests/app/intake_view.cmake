pixmorrow_add_test(NAME intake_view_tests
  SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/intake_view_test.cpp
  LIBS pixmorrow_app Qt6::Test)
add_dependencies(intake_view_tests pixmorrow)
