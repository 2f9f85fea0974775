# The e2e driver (driver.h): one library for the Windows test programs that
# drive the real SetUp.exe, the demo's stand-in user and the start-up bench.
# Included from the top level, since the bench uses it without the tests.
add_library(tarnwell_e2e_driver STATIC ${CMAKE_CURRENT_LIST_DIR}/driver.cpp)
add_dependencies(tarnwell_e2e_driver SetUp)
target_include_directories(tarnwell_e2e_driver PUBLIC ${PROJECT_SOURCE_DIR}/tests)
target_compile_definitions(tarnwell_e2e_driver PUBLIC TARNWELL_SETUP_EXE="$<TARGET_FILE:SetUp>")
target_link_libraries(tarnwell_e2e_driver PUBLIC tarnwell_platform user32 gdi32)
