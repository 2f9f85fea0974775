# The real SetUp.exe, driven from a Windows test program under Wine; and the
# executable's resources and import table read back out of it.
tarnwell_suite(e2e LIBS tarnwell_ui tarnwell_e2e_driver TIMEOUT 180)
if(TARGET e2e_tests)
  # The framework's own dialog test runs template 141 inside the test program.
  target_sources(e2e_tests PRIVATE ${PROJECT_SOURCE_DIR}/ui/setup.rc)
  target_include_directories(e2e_tests PRIVATE ${PROJECT_SOURCE_DIR}/ui)
  target_compile_options(e2e_tests PRIVATE "$<$<COMPILE_LANGUAGE:RC>:-c;65001>")

  # The demo's stand-in user on machines without a display (tools/run-demo.sh).
  add_executable(DemoInstall ${CMAKE_CURRENT_LIST_DIR}/demo_install.cpp)
  target_link_libraries(DemoInstall PRIVATE tarnwell_e2e_driver)
endif()

# The setup-dialog scenarios once more on the other system code pages.
tarnwell_code_page_runs(e2e FILTER Setup/SetupExeScenarioTest.* TIMEOUT 180
                        PAGES 950:zh_TW 932:ja_JP 1252:en_US 65001:hi_IN)
