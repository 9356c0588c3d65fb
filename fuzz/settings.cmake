# The settings file's INI reader and the language-file reader with its text lookups.
add_executable(fuzz_ini fuzz_ini.cpp)
target_link_libraries(fuzz_ini PRIVATE pixmorrow_app)
add_executable(fuzz_language fuzz_language.cpp)
target_link_libraries(fuzz_language PRIVATE pixmorrow_localization)
foreach(target fuzz_ini fuzz_language)
  target_compile_options(${target} PRIVATE -fsanitize=fuzzer)
  target_link_options(${target} PRIVATE -fsanitize=fuzzer)
endforeach()
