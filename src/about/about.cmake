# The about window draws its pictures from SVG and takes them from the Qt resources.
target_link_libraries(pixmorrow_about PUBLIC Qt6::Svg pixmorrow_resources)
