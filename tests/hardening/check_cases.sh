# Sourced by the build-machine tests: one case per `check`, and a gtest-style
# XML report that tools/test.sh adds up with the others. Needs $work (a
# scratch folder) set by the caller.

cases=() failures=0
check() {  # check NAME COMMAND...: one case, passed when COMMAND succeeds
  local name=$1
  shift
  if ("$@") >"$work/check.log" 2>&1; then
    cases+=("<testcase name=\"$name\"/>")
    echo "[       OK ] $name"
  else
    failures=$((failures + 1))
    cases+=("<testcase name=\"$name\"><failure message=\"failed\"/></testcase>")
    echo "[  FAILED  ] $name"
    sed 's/^/    /' "$work/check.log"
  fi
}

# write_report REPORT.xml NAME SUITE: the report, the closing count, and the
# status (0 when every case passed).
write_report() {
  mkdir -p "$(dirname "$1")"
  {
    echo "<?xml version=\"1.0\" encoding=\"UTF-8\"?>"
    echo "<testsuites tests=\"${#cases[@]}\" failures=\"$failures\" name=\"$2\">"
    echo "<testsuite name=\"$3\" tests=\"${#cases[@]}\" failures=\"$failures\">"
    printf '%s\n' "${cases[@]}"
    echo "</testsuite>"
    echo "</testsuites>"
  } >"$1"
  echo "$2: $((${#cases[@]} - failures)) passed, $failures failed"
  [ "$failures" -eq 0 ]
}
