# The desktop's shell as Qt reaches it on an X display.
pixmorrow_add_display_test(NAME qt_shell_tests
  SOURCES qt_shell_test.cpp
  LIBS pixmorrow_platform)
