# pixmorrow_include_parts(): includes every *.cmake file of the current source folder, so
# each piece of a folder (a library's extra sources and links, a test executable, a fuzz
# target, a benchmark) keeps its build rules in a file of its own.
macro(pixmorrow_include_parts)
  file(GLOB _pixmorrow_parts CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cmake)
  list(SORT _pixmorrow_parts)
  foreach(_part IN LISTS _pixmorrow_parts)
    include(${_part})
  endforeach()
endmacro()

# pixmorrow_library(name [deps...]): a static library of every .cpp in the current folder.
function(pixmorrow_library name)
  file(GLOB _sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  add_library(${name} STATIC ${_sources})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
  target_link_libraries(${name} PUBLIC ${ARGN})
endfunction()

# pixmorrow_install_man_page(page): installs a manual page (e.g. foo.1) into share/man/manN,
# compressed as Debian keeps them (-n: no name or time stamp inside, so the same source
# gives the same file), and compresses it with every build.
find_program(PIXMORROW_GZIP gzip REQUIRED)
function(pixmorrow_install_man_page page)
  get_filename_component(_name ${page} NAME)
  string(REGEX REPLACE ".*\\.([0-9])$" "\\1" _section ${_name})
  set(_folder ${CMAKE_BINARY_DIR}/generated/man)
  add_custom_command(
    OUTPUT ${_folder}/${_name}.gz
    COMMAND ${CMAKE_COMMAND} -E make_directory ${_folder}
    COMMAND ${CMAKE_COMMAND} -E copy ${page} ${_folder}/${_name}
    COMMAND ${PIXMORROW_GZIP} -9nf ${_folder}/${_name}
    DEPENDS ${page}
    COMMENT "Compressing the manual page ${_name}")
  add_custom_target(pixmorrow_man_${_name} ALL DEPENDS ${_folder}/${_name}.gz)
  install(FILES ${_folder}/${_name}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man${_section})
endfunction()
