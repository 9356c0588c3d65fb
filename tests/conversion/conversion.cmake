pixmorrow_add_test(NAME conversion_tests
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/run_texts_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/conversion_run_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/format_routes_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/result_form_test.cpp
  LIBS pixmorrow_conversion)

# The main window's side of a run, over recording services.
pixmorrow_add_test(NAME conversion_window_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/conversion_window_test.cpp
  LIBS pixmorrow_app)
add_dependencies(conversion_window_tests pixmorrow)
