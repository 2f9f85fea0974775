# The command line of the real SetUp.exe under Wine: silent installs, their
# exit codes and logs, on the package and hosts of tests/e2e_install (a
# program of its own, so that ctest -j2 runs it beside the others).
tarnwell_suite(e2e_silent LIBS tarnwell_platform tarnwell_e2e_driver TIMEOUT 240 HELPER)
# The silent installs on the Japanese and Western code pages as well.
tarnwell_code_page_runs(e2e_silent FILTER CommandLine/SwitchTable.* TIMEOUT 240
                        PAGES 932:ja_JP 1252:en_US)
