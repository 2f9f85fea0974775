# The install record, the Apps & Features entry, the removal and the
# uninstall run. Under Wine the helper of the install tests holds files open
# and runs as a stand-in for the running uninstaller.
tarnwell_suite(uninstall LIBS tarnwell_app HELPER)
if(TARGET uninstall_tests AND TARNWELL_PLATFORM STREQUAL "win32" AND NOT MSVC)
  # The program holds its own image as SetUp.exe does, and nothing but a
  # certificate table may follow the last section of an image held so:
  # linked without the COFF symbol table.
  target_link_options(uninstall_tests PRIVATE -s)
endif()
