# The install record, the Apps & Features entry, the removal and the
# uninstall run. Under Wine the helper of the install tests holds files open
# and runs as a stand-in for the running uninstaller.
tarnwell_suite(uninstall LIBS tarnwell_app HELPER)
