# The format table on its own: QtCore and nothing of the conversion.
pixmorrow_add_test(NAME format_table_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/format_table_test.cpp
  LIBS pixmorrow_format_table)
