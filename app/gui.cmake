# The desktop window: Qt 6 Widgets over the same core as the command line.
find_package(Qt6 REQUIRED COMPONENTS Widgets Test)

add_library(vellumark_gui STATIC
  drop_list.cpp
  form_layout.cpp
  main_window.cpp
  message_service.cpp
  qt_translations.cpp
  text_boxes.cpp)
add_library(vellumark::gui ALIAS vellumark_gui)
set_target_properties(vellumark_gui PROPERTIES AUTOMOC ON)
target_include_directories(vellumark_gui PUBLIC "${PROJECT_SOURCE_DIR}")
target_link_libraries(vellumark_gui PUBLIC vellumark::pipeline vellumark::export vellumark::settings vellumark::version
                                           Qt6::Widgets)
vellumark_warnings(vellumark_gui)

add_executable(vellumark main.cpp)
target_link_libraries(vellumark PRIVATE vellumark::gui vellumark::acrobat)
set_target_properties(vellumark PROPERTIES WIN32_EXECUTABLE ON)
vellumark_warnings(vellumark)

# One QtTest program per area of the window, run on the offscreen platform.
if(BUILD_TESTING)
  add_library(vellumark_gui_testsupport STATIC gui_test_support.cpp)
  target_link_libraries(vellumark_gui_testsupport PUBLIC vellumark::gui vellumark::testsupport Qt6::Test)
  target_compile_definitions(vellumark_gui_testsupport PUBLIC
                             VELLUMARK_TEST_DATA_DIR="${VELLUMARK_TEST_DATA_DIR}"
                             VELLUMARK_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
  vellumark_warnings(vellumark_gui_testsupport)

  foreach(area job_lists options batch layout desktop)
    add_executable(${area}_test ${area}_test.cpp)
    set_target_properties(${area}_test PROPERTIES AUTOMOC ON)
    target_link_libraries(${area}_test PRIVATE vellumark_gui_testsupport)
    vellumark_warnings(${area}_test)
    add_test(NAME gui_${area} COMMAND ${area}_test)
    set_tests_properties(gui_${area} PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen" TIMEOUT 300)
  endforeach()
endif()
