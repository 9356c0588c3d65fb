# The external tool's helper process: the command-line converter's own code (ImageMagick 6's
# MagickWand) kept running between jobs, laid out beside the launcher in the program
# folder's imagemagick/. Its wire format is a library of its own, without Qt, shared with the
# bridge.
add_library(pixmorrow_helper_protocol STATIC
  ${CMAKE_CURRENT_SOURCE_DIR}/external/helper_protocol.cpp)
set_target_properties(pixmorrow_helper_protocol PROPERTIES AUTOMOC OFF)
target_include_directories(pixmorrow_helper_protocol PUBLIC ${PROJECT_SOURCE_DIR}/src)
target_link_libraries(pixmorrow_conversion_core PUBLIC pixmorrow_helper_protocol pixmorrow_posix_io)

find_package(PkgConfig REQUIRED)
pkg_check_modules(PIXMORROW_MAGICKWAND REQUIRED IMPORTED_TARGET GLOBAL MagickWand-6.Q16)

# pixmorrow_magick_helper(target output-folder [definitions...]); the tests build one too.
set(PIXMORROW_MAGICK_HELPER_MAIN ${CMAKE_CURRENT_SOURCE_DIR}/external/helper/magick_helper_main.cpp
  CACHE INTERNAL "")
function(pixmorrow_magick_helper target folder)
  add_executable(${target} ${PIXMORROW_MAGICK_HELPER_MAIN})
  set_target_properties(${target} PROPERTIES
    OUTPUT_NAME pixmorrow-magick-helper
    AUTOMOC OFF
    RUNTIME_OUTPUT_DIRECTORY ${folder})
  target_link_libraries(${target} PRIVATE
    pixmorrow_helper_protocol pixmorrow_posix_io PkgConfig::PIXMORROW_MAGICKWAND)
  if(ARGN)
    target_compile_definitions(${target} PRIVATE ${ARGN})
  endif()
endfunction()

pixmorrow_magick_helper(pixmorrow_magick_helper ${PIXMORROW_PROGRAM_DIR}/imagemagick)
add_dependencies(pixmorrow_conversion_core pixmorrow_magick_helper)
install(TARGETS pixmorrow_magick_helper RUNTIME DESTINATION lib/pixmorrow/imagemagick)
