# The service's reply arrives from the network: its decoding, line splitting, tag reading and
# the stored link's unscrambling take any bytes.
pixmorrow_add_fuzzer(service_reply
  SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/service_reply_fuzz.cpp
  LIBS pixmorrow_online)
