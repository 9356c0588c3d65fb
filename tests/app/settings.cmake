# The settings file: folder choice, INI store, start values, write-through, Reset to Defaults.
find_package(Qt6 REQUIRED COMPONENTS Test)
pixmorrow_add_test(NAME settings_tests
  SOURCES settings_test.cpp ini_store_test.cpp resize_choice_test.cpp
  LIBS pixmorrow_app Qt6::Test)
target_include_directories(settings_tests PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/..)
add_dependencies(settings_tests pixmorrow)
