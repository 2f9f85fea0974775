# The command line of the real SetUp.exe under Wine: silent installs, their
# exit codes and logs, on the package and hosts of tests/e2e_install (a
# program of its own, so that ctest -j2 runs it beside the others).
tarnwell_suite(e2e_silent LIBS tarnwell_platform tarnwell_e2e_driver TIMEOUT 240 HELPER)
