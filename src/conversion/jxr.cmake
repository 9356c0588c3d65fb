# The JPEG XR codec through jxrlib, without Qt, and the helper program that decodes in a
# process of its own; the program folder and an install hold the helper beside the
# executable.
find_package(PkgConfig REQUIRED)
pkg_check_modules(PIXMORROW_JXR REQUIRED IMPORTED_TARGET libjxr)
add_library(pixmorrow_jxr STATIC ${CMAKE_CURRENT_SOURCE_DIR}/formats/jxr_codec.cpp)
set_target_properties(pixmorrow_jxr PROPERTIES AUTOMOC OFF)
target_include_directories(pixmorrow_jxr PUBLIC ${PROJECT_SOURCE_DIR}/src)
target_link_libraries(pixmorrow_jxr PUBLIC pixmorrow_formats)
# jxrlib's headers define Windows-style macros; only jxr_codec.cpp sees them.
target_link_libraries(pixmorrow_jxr PRIVATE PkgConfig::PIXMORROW_JXR)
target_link_libraries(pixmorrow_conversion_core PUBLIC pixmorrow_jxr)

add_executable(pixmorrow_jxr_decode ${CMAKE_CURRENT_SOURCE_DIR}/formats/jxr_decode_main.cpp)
set_target_properties(pixmorrow_jxr_decode PROPERTIES
  OUTPUT_NAME pixmorrow-jxr-decode
  AUTOMOC OFF
  RUNTIME_OUTPUT_DIRECTORY ${PIXMORROW_PROGRAM_DIR})
target_link_libraries(pixmorrow_jxr_decode PRIVATE pixmorrow_jxr pixmorrow_posix_io)
# Whatever reads a WMP file needs the helper in the program folder.
add_dependencies(pixmorrow_conversion_core pixmorrow_jxr_decode)
install(TARGETS pixmorrow_jxr_decode RUNTIME DESTINATION lib/pixmorrow)
