# Package copy, loader registration, font deployment and the host process
# check. Under Wine the tests start a small helper program (tests/install/
# helper) that holds files open, runs under the host's process names, and
# runs the package copy from a folder of its own.
tarnwell_suite(install LIBS tarnwell_install HELPER)
if(TARNWELL_PLATFORM STREQUAL "win32" AND TARGET install_tests)
  add_executable(tarnwell_helper ${CMAKE_CURRENT_LIST_DIR}/helper/tarnwell_helper.cpp)
  target_link_libraries(tarnwell_helper PRIVATE tarnwell_package)
endif()
