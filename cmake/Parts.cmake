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
