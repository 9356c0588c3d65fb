# The language chooser draws its flags from SVG pictures in the Qt resources.
target_link_libraries(pixmorrow_localization PUBLIC pixmorrow_resources)
