# The real SetUp.exe, driven from a Windows test program under Wine; and the
# executable's resources and import table read back out of it.
tarnwell_suite(e2e LIBS tarnwell_ui tarnwell_e2e_driver TIMEOUT 180)
if(TARGET e2e_tests)
  # The framework's own dialog test runs template 141 inside the test program.
  target_sources(e2e_tests PRIVATE ${PROJECT_SOURCE_DIR}/ui/setup.rc)
  target_include_directories(e2e_tests PRIVATE ${PROJECT_SOURCE_DIR}/ui)
  target_compile_options(e2e_tests PRIVATE "$<$<COMPILE_LANGUAGE:RC>:-c;65001>")
  # The bitmaps' pixels as drawn, for the test that decodes SetUp.exe's.
  find_package(Python3 COMPONENTS Interpreter REQUIRED)
  set(reference ${CMAKE_CURRENT_BINARY_DIR}/bitmap-reference)
  add_custom_command(OUTPUT ${reference}/logo.rgb ${reference}/menu.rgb
    COMMAND Python3::Interpreter ${PROJECT_SOURCE_DIR}/tools/draw-resources.py --reference ${reference}
    DEPENDS ${PROJECT_SOURCE_DIR}/tools/draw-resources.py VERBATIM)
  add_custom_target(e2e_bitmap_reference DEPENDS ${reference}/logo.rgb ${reference}/menu.rgb)
  add_dependencies(e2e_tests e2e_bitmap_reference)
  target_compile_definitions(e2e_tests PRIVATE TARNWELL_BITMAP_REFERENCE="${reference}")

  # The demo's stand-in user on machines without a display (tools/run-demo.sh).
  add_executable(DemoInstall ${CMAKE_CURRENT_LIST_DIR}/demo_install.cpp)
  target_link_libraries(DemoInstall PRIVATE tarnwell_e2e_driver)
endif()

# The setup-dialog scenarios once more on the other system code pages.
tarnwell_code_page_runs(e2e FILTER Setup/SetupExeScenarioTest.* TIMEOUT 180
                        PAGES 950:zh_TW 932:ja_JP 1252:en_US 65001:hi_IN)
