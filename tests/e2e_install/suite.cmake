# The install sequence of the real SetUp.exe under Wine: a package folder
# prepared below C:\, hosts in the registry, SetUp.exe started from there and
# driven through its Install button (a program of its own, so that ctest -j2
# runs it beside tests/e2e).
tarnwell_suite(e2e_install LIBS tarnwell_platform TIMEOUT 240)
if(TARGET e2e_install_tests)
  target_sources(e2e_install_tests PRIVATE ${PROJECT_SOURCE_DIR}/tests/e2e/driver.cpp)
  add_dependencies(e2e_install_tests SetUp tarnwell_helper)
  target_compile_definitions(e2e_install_tests PRIVATE
    TARNWELL_SETUP_EXE="$<TARGET_FILE:SetUp>"
    TARNWELL_HELPER_EXE="Z:$<TARGET_FILE:tarnwell_helper>")
  target_link_libraries(e2e_install_tests PRIVATE user32 gdi32)
endif()
