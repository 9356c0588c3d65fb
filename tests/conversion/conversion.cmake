pixmorrow_add_test(NAME conversion_tests
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/run_texts_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/conversion_run_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/format_routes_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/result_form_test.cpp
  LIBS pixmorrow_conversion)
