# The animated-PNG test walks the chunks of any file the user queues. Its source is built
# into the target itself, so the fuzzer sees its coverage.
pixmorrow_add_fuzzer(animated_png
  SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/animated_png_fuzz.cpp
          ${PROJECT_SOURCE_DIR}/src/conversion/formats/animated_png.cpp
  INCLUDES ${PROJECT_SOURCE_DIR}/src
  LIBS Qt6::Core)
