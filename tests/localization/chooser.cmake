# Starts like the program does (language from the per-user store) and writes what it got,
# so the restart test can see which language the restarted process came up in.
add_executable(chooser_language_probe restart_probe.cpp)
target_link_libraries(chooser_language_probe PRIVATE pixmorrow_localization Qt6::Core)

pixmorrow_add_test(NAME chooser_tests
  SOURCES chooser_test.cpp restart_test.cpp
  LIBS pixmorrow_localization)
target_compile_definitions(chooser_tests PRIVATE
  PIXMORROW_LANGUAGE_PROBE="$<TARGET_FILE:chooser_language_probe>")
add_dependencies(chooser_tests chooser_language_probe)
