pixmorrow_add_test(NAME about_window_tests
  SOURCES matrix_rain_test.cpp popup_under_button_test.cpp about_box_test.cpp
  LIBS pixmorrow_about)
