# Language files: lookup, loading, LanguageCodes.csv, interface language, locale code, and the
# shipped translations.
add_executable(language_probe language_probe.cpp)
target_link_libraries(language_probe PRIVATE pixmorrow_localization)

pixmorrow_add_test(NAME language_tests
  SOURCES language_test.cpp shipped_languages_test.cpp
  LIBS pixmorrow_localization)
target_compile_definitions(language_tests PRIVATE
  LANGUAGE_PROBE="$<TARGET_FILE:language_probe>"
  SHIPPED_LANGUAGES="${PROJECT_SOURCE_DIR}/resources/Languages")
add_dependencies(language_tests language_probe)
