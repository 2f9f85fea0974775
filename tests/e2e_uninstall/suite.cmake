# The uninstall of the real SetUp.exe under Wine: the Apps & Features entry
# as Wine's own list and a deployment tool read it, the uninstaller's
# messages and exit codes, on the package and hosts of tests/e2e_install.
tarnwell_suite(e2e_uninstall LIBS tarnwell_platform tarnwell_e2e_driver TIMEOUT 300 HELPER)
