pixmorrow_add_test(NAME intake_tests
  SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/intake_test.cpp
  LIBS pixmorrow_queue
  TIMEOUT 60)
