# The codec library's adapter: its C header, the decoded-picture type, and the library
# itself built before anything that loads it.
target_include_directories(pixmorrow_conversion_core PUBLIC ${PROJECT_SOURCE_DIR}/codec/include ${PROJECT_SOURCE_DIR}/codec)
add_dependencies(pixmorrow_conversion_core pixmorrow_codec)
