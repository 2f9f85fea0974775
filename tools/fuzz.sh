#!/usr/bin/env bash
# Builds the libFuzzer targets under fuzz/ with clang against the simulated
# platform (AddressSanitizer, UndefinedBehaviorSanitizer) and runs each for a
# bounded time from its seed corpus under fuzz/corpus/<target>/.
#
#   tools/fuzz.sh [seconds-per-target]      (default 20)
#
# clang has no GBK execution character set, so the sources are first copied
# into build/fuzz/src converted to GBK; clang keeps the bytes of a string
# literal as they stand in the file, which gives the same GBK literals as
# GCC's -fexec-charset=GBK.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-20}
out=build/fuzz
src=$out/src
rm -rf "$src"
mkdir -p "$src"
for dir in platform framework package host record uninstall install ui app fuzz; do
  [ -d "$dir" ] || continue
  while IFS= read -r f; do
    mkdir -p "$src/$(dirname "$f")"
    iconv -c -f UTF-8 -t GBK "$f" >"$src/$f"
  done < <(find "$dir" -name '*.cpp' -o -name '*.h')
done

flags=(-std=c++17 -O1 -g -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all
       -Wno-invalid-source-encoding -DTARNWELL_PLATFORM_SIM=1 -I"$src")
# The installer's code against the simulated platform, compiled once.
common=("$src"/platform/*.cpp "$src"/platform/sim/*.cpp "$src"/framework/*.cpp "$src"/host/*.cpp
        "$src"/package/*.cpp "$src"/record/*.cpp "$src"/uninstall/*.cpp "$src"/install/*.cpp "$src"/ui/*.cpp "$src"/app/globals.cpp "$src"/app/wizard_app.cpp
        "$src"/app/command_line.cpp "$src"/app/run_log.cpp)
objects=$out/obj
rm -rf "$objects"
mkdir -p "$objects"
printf '%s\n' "${common[@]}" | xargs -P "$(nproc)" -I{} sh -c \
  'clang++ "$@" -c "{}" -o "'"$objects"'/$(echo "{}" | tr / _).o"' _ "${flags[@]/-fsanitize=fuzzer,/-fsanitize=fuzzer-no-link,}"

status=0
for target in fuzz/*_fuzz.cpp; do
  name=$(basename "$target" .cpp)
  short=${name%_fuzz}
  clang++ "${flags[@]}" "$src/$target" "$objects"/*.o -o "$out/$name"
  work=$(mktemp -d)
  [ -d "fuzz/corpus/$short" ] && cp -r "fuzz/corpus/$short/." "$work/"
  echo "fuzz: $name for ${seconds}s"
  if ! "$out/$name" -max_total_time="$seconds" -print_final_stats=0 \
       -artifact_prefix="$out/" "$work" \
       >"$out/$name.log" 2>&1; then
    echo "fuzz: $name FAILED; log: $out/$name.log" >&2
    tail -40 "$out/$name.log" >&2
    status=1
  else
    grep -E '^#[0-9]+.*DONE' "$out/$name.log" | tail -1 || true
  fi
  rm -rf "$work"
done
exit $status
