# The real SetUp.exe, driven from a Windows test program under Wine; and the
# executable's resources and import table read back out of it.
tarnwell_suite(e2e LIBS tarnwell_ui TIMEOUT 180)
if(TARGET e2e_tests)
  target_sources(e2e_tests PRIVATE ${CMAKE_CURRENT_LIST_DIR}/driver.cpp)
  add_dependencies(e2e_tests SetUp)
  target_compile_definitions(e2e_tests PRIVATE TARNWELL_SETUP_EXE="$<TARGET_FILE:SetUp>")
  target_link_libraries(e2e_tests PRIVATE user32 gdi32)
endif()
if(TARGET e2e_tests)
  # The framework's own dialog test runs template 141 inside the test program.
  target_sources(e2e_tests PRIVATE ${PROJECT_SOURCE_DIR}/ui/setup.rc)
  target_include_directories(e2e_tests PRIVATE ${PROJECT_SOURCE_DIR}/ui)
  target_compile_options(e2e_tests PRIVATE "$<$<COMPILE_LANGUAGE:RC>:-c;65001>")
endif()
if(TARGET e2e_tests)
  # The demo's stand-in user on machines without a display (tools/run-demo.sh).
  add_executable(DemoInstall ${CMAKE_CURRENT_LIST_DIR}/demo_install.cpp ${CMAKE_CURRENT_LIST_DIR}/driver.cpp)
  target_include_directories(DemoInstall PRIVATE ${CMAKE_CURRENT_SOURCE_DIR})
  target_compile_definitions(DemoInstall PRIVATE TARNWELL_SETUP_EXE="$<TARGET_FILE:SetUp>")
  target_link_libraries(DemoInstall PRIVATE user32 gdi32)
endif()
