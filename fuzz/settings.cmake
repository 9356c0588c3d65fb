# The settings file's INI reader and the language-file reader with its text lookups. The INI
# reader is compiled in directly, so the fuzzer does not drag in the whole main window.
pixmorrow_add_fuzzer(ini
  SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/fuzz_ini.cpp ${PROJECT_SOURCE_DIR}/src/app/ini_store.cpp
  INCLUDES ${PROJECT_SOURCE_DIR}/src
  LIBS pixmorrow_platform Qt6::Core)
pixmorrow_add_fuzzer(language
  SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/fuzz_language.cpp
  LIBS pixmorrow_localization)
