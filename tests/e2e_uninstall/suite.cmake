# The uninstall of the real SetUp.exe under Wine: the Apps & Features entry
# as Wine's own list and a deployment tool read it, the uninstaller's
# messages and exit codes, on the package and hosts of tests/e2e_install.
tarnwell_suite(e2e_uninstall LIBS tarnwell_platform TIMEOUT 300)
if(TARGET e2e_uninstall_tests)
  target_sources(e2e_uninstall_tests PRIVATE ${PROJECT_SOURCE_DIR}/tests/e2e/driver.cpp)
  add_dependencies(e2e_uninstall_tests SetUp tarnwell_helper)
  target_compile_definitions(e2e_uninstall_tests PRIVATE
    TARNWELL_SETUP_EXE="$<TARGET_FILE:SetUp>"
    TARNWELL_HELPER_EXE="Z:$<TARGET_FILE:tarnwell_helper>")
  target_link_libraries(e2e_uninstall_tests PRIVATE user32 gdi32)
endif()
