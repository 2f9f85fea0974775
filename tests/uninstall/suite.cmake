# The install record, the Apps & Features entry, the removal and the
# uninstall run.
tarnwell_suite(uninstall LIBS tarnwell_uninstall)
