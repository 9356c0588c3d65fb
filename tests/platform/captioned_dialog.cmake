# The message dialog with replaced button captions, driven by key presses and close events.
find_package(Qt6 REQUIRED COMPONENTS Test)
pixmorrow_add_test(NAME captioned_dialog_tests
  SOURCES captioned_dialog_test.cpp
  LIBS pixmorrow_platform Qt6::Test)
