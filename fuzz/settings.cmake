# The settings file's INI reader and the language-file reader with its text lookups. The INI
# reader is compiled in directly, so the fuzzer does not drag in the whole main window.
add_executable(fuzz_ini fuzz_ini.cpp ${PROJECT_SOURCE_DIR}/src/app/ini_store.cpp)
target_include_directories(fuzz_ini PRIVATE ${PROJECT_SOURCE_DIR}/src)
target_link_libraries(fuzz_ini PRIVATE pixmorrow_platform Qt6::Core)
add_executable(fuzz_language fuzz_language.cpp)
target_link_libraries(fuzz_language PRIVATE pixmorrow_localization)
foreach(target fuzz_ini fuzz_language)
  target_compile_options(${target} PRIVATE -fsanitize=fuzzer)
  target_link_options(${target} PRIVATE -fsanitize=fuzzer)
endforeach()
