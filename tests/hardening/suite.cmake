# SetUp.exe in a folder that others can write: DLLs planted beside it under
# system DLL names, and the image's own load configuration and imports.
tarnwell_suite(hardening LIBS tarnwell_platform tarnwell_e2e_driver TIMEOUT 240)
if(TARGET hardening_tests)
  # The planted DLL (one image, copied under each name by the test).
  add_library(TarnwellPlant SHARED ${CMAKE_CURRENT_LIST_DIR}/plant/plant_dll.cpp)
  set_target_properties(TarnwellPlant PROPERTIES PREFIX "" OUTPUT_NAME "plant")
  # The probe with SetUp.exe's entry point, and without it.
  foreach(probe DllProbe DllProbeOpen)
    add_executable(${probe} WIN32 ${CMAKE_CURRENT_LIST_DIR}/probe/dll_probe.cpp)
    target_link_libraries(${probe} PRIVATE tarnwell_platform)
  endforeach()
  if(MSVC)
    target_link_options(DllProbe PRIVATE /ENTRY:TarnwellEntry)
  else()
    target_link_options(DllProbe PRIVATE -Wl,-e,TarnwellEntry)
  endif()

  add_dependencies(hardening_tests SetUpUnprotected TarnwellPlant DllProbe DllProbeOpen)
  target_compile_definitions(hardening_tests PRIVATE
    TARNWELL_SETUP_UNPROTECTED_EXE="$<TARGET_FILE:SetUpUnprotected>"
    TARNWELL_PLANT_DLL="$<TARGET_FILE:TarnwellPlant>"
    TARNWELL_DLL_PROBE_EXE="$<TARGET_FILE:DllProbe>"
    TARNWELL_DLL_PROBE_OPEN_EXE="$<TARGET_FILE:DllProbeOpen>")
  target_link_libraries(hardening_tests PRIVATE version)
endif()
if(TARGET hardening_tests AND NOT MSVC)
  # Signing a copy of SetUp.exe with a throwaway certificate (a shell script
  # on the build machine; it starts the signed copy under Wine itself).
  add_test(NAME win32.signing
           COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/signing_test.sh $<TARGET_FILE:SetUp>
                   $<TARGET_FILE:StartupTimer> ${TARNWELL_TEST_RESULTS}/signing_tests.xml)
  set_tests_properties(win32.signing PROPERTIES TIMEOUT 120)
  # The package manifest and the release zip (tools/package_manifest.py).
  # It builds a release of its own (tools/make-release.sh) in release-test/.
  add_test(NAME win32.release
           COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/release_test.sh ${TARNWELL_TEST_RESULTS}/release_tests.xml
                   ${CMAKE_BINARY_DIR}/release-test)
  set_tests_properties(win32.release PROPERTIES TIMEOUT 900)
endif()
