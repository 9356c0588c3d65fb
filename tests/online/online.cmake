find_package(Qt6 REQUIRED COMPONENTS Test)
pixmorrow_add_test(NAME online_tests
  SOURCES form_post_test.cpp service_fields_test.cpp update_check_test.cpp notice_test.cpp
          feedback_test.cpp
  LIBS pixmorrow_app pixmorrow_online pixmorrow_resources Qt6::Test)
target_compile_definitions(online_tests PRIVATE PIXMORROW_ONLINE_TEST_DIR="${CMAKE_CURRENT_SOURCE_DIR}")
target_include_directories(online_tests PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/..)
add_dependencies(online_tests pixmorrow)

# Shows the notice and the feedback window for screenshots (scripts/online-screenshots).
add_executable(online_screens online_screens.cpp)
target_link_libraries(online_screens PRIVATE pixmorrow_online pixmorrow_about pixmorrow_resources Qt6::Widgets)
