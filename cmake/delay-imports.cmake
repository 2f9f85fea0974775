# Delay-load import libraries for MinGW (GNU ld has no /DELAYLOAD): for each
# DLL, a library made by dlltool from the names that the toolchain's own
# import library exports. A program linked against it calls the DLL through
# __delayLoadHelper2, which loads the DLL at the first call, after the entry
# point has restricted the DLL search (platform/win32/system_library.h).
#
#   tarnwell_delay_import_libraries(VAR user32 gdi32 ...)
# sets VAR to the libraries' paths, made at configure time.
function(tarnwell_delay_import_libraries out)
  set(dir ${CMAKE_BINARY_DIR}/delay-imports)
  file(MAKE_DIRECTORY ${dir})
  set(libraries)
  foreach(dll ${ARGN})
    find_library(TARNWELL_IMPORT_LIB_${dll} ${dll} REQUIRED)
    set(def ${dir}/${dll}.def)
    set(lib ${dir}/lib${dll}-delay.a)
    if(NOT EXISTS ${lib} OR ${TARNWELL_IMPORT_LIB_${dll}} IS_NEWER_THAN ${lib})
      execute_process(COMMAND ${CMAKE_NM} ${TARNWELL_IMPORT_LIB_${dll}}
                      OUTPUT_VARIABLE symbols ERROR_QUIET RESULT_VARIABLE rc)
      if(NOT rc EQUAL 0)
        message(FATAL_ERROR "${CMAKE_NM} ${TARNWELL_IMPORT_LIB_${dll}} failed")
      endif()
      # "0000000000000000 I __imp_CreateWindowExA": one export per __imp_ symbol.
      string(REGEX MATCHALL "[^\n]* I __imp_[A-Za-z0-9_@?$]+" imports "${symbols}")
      set(text "LIBRARY ${dll}.dll\nEXPORTS\n")
      foreach(line ${imports})
        string(REGEX REPLACE ".* I __imp_" "" name "${line}")
        string(APPEND text "  ${name}\n")
      endforeach()
      file(WRITE ${def} "${text}")
      # Run where the library goes: dlltool names its symbols after the path.
      execute_process(COMMAND ${CMAKE_DLLTOOL} --input-def ${dll}.def --dllname ${dll}.dll
                              --output-delaylib lib${dll}-delay.a
                      WORKING_DIRECTORY ${dir} RESULT_VARIABLE rc)
      if(NOT rc EQUAL 0)
        message(FATAL_ERROR "${CMAKE_DLLTOOL}: no delay-load library for ${dll}")
      endif()
    endif()
    list(APPEND libraries ${lib})
  endforeach()
  set(${out} ${libraries} PARENT_SCOPE)
endfunction()
