# The result window shows a picture from the compiled-in resources.
target_link_libraries(pixmorrow_conversion PUBLIC pixmorrow_resources)
