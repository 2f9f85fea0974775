# The install sequence of the real SetUp.exe under Wine: a package folder
# prepared below C:\, hosts in the registry, SetUp.exe started from there and
# driven through its Install button (a program of its own, so that ctest -j2
# runs it beside tests/e2e).
tarnwell_suite(e2e_install LIBS tarnwell_platform tarnwell_e2e_driver TIMEOUT 240 HELPER)
