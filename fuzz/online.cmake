# The service's reply arrives from the network: its decoding, line splitting, tag reading and
# the stored link's unscrambling take any bytes.
add_executable(fuzz_service_reply service_reply_fuzz.cpp)
target_compile_options(fuzz_service_reply PRIVATE -fsanitize=fuzzer)
target_link_options(fuzz_service_reply PRIVATE -fsanitize=fuzzer)
target_link_libraries(fuzz_service_reply PRIVATE pixmorrow_online)
