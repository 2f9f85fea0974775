# The command line of the real SetUp.exe under Wine: silent installs, their
# exit codes and logs, on the package and hosts of tests/e2e_install (a
# program of its own, so that ctest -j2 runs it beside the others).
tarnwell_suite(e2e_silent LIBS tarnwell_platform TIMEOUT 240)
if(TARGET e2e_silent_tests)
  target_sources(e2e_silent_tests PRIVATE ${PROJECT_SOURCE_DIR}/tests/e2e/driver.cpp)
  add_dependencies(e2e_silent_tests SetUp tarnwell_helper)
  target_compile_definitions(e2e_silent_tests PRIVATE
    TARNWELL_SETUP_EXE="$<TARGET_FILE:SetUp>"
    TARNWELL_HELPER_EXE="Z:$<TARGET_FILE:tarnwell_helper>")
  target_link_libraries(e2e_silent_tests PRIVATE user32 gdi32)
endif()
