# The install record, the Apps & Features entry, the removal and the
# uninstall run.
tarnwell_suite(uninstall LIBS tarnwell_uninstall)
if(TARNWELL_PLATFORM STREQUAL "win32" AND TARGET uninstall_tests AND TARGET tarnwell_helper)
  # The helper of the install tests holds files open and runs as a stand-in
  # for the running uninstaller.
  add_dependencies(uninstall_tests tarnwell_helper)
  target_compile_definitions(uninstall_tests PRIVATE
    TARNWELL_HELPER_EXE="Z:$<TARGET_FILE:tarnwell_helper>")
endif()
