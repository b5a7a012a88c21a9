#!/usr/bin/env bash
# Developer commands for the launcher.
#
#   ./dev.sh deps    install what the build and the tests need (Debian 12)
#   ./dev.sh build   configure and build both presets, host and windows
#   ./dev.sh test    build both presets and run every test
#   ./dev.sh demo [DIR]
#                    run launcher.exe under Wine in a scratch prefix, with
#                    the example programs or with DIR's cpuinfo.exe and
#                    assets\main.exe, and show what it left behind
#   ./dev.sh package build the release ZIP into build/windows/package
#   ./dev.sh lint    clang-tidy and cppcheck over the project's code
#   ./dev.sh fuzz [SECONDS]
#                    fuzz the report check with libFuzzer (default 60 s)
#   ./dev.sh bench [RUNS]
#                    benchmarks; rewrites BENCHMARKS.md (RUNS: launches, 15)
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")"

readonly PRESETS=(host windows)
readonly PACKAGES=(cmake g++ googletest g++-mingw-w64-x86-64-posix wine wine64)
readonly FUZZ_PACKAGES=(clang libclang-rt-14-dev)
readonly LINT_PACKAGES=(clang-tidy cppcheck)
readonly BENCH_PACKAGES=(libbenchmark-dev python3)
readonly BENCH_RESULTS=build/bench/results

# What each toolchain compiles, for the linters.
readonly HOST_SOURCES=(src/report_check.cpp examples/flag_report.cpp
  examples/cpuinfo.cpp tests/report_check_test.cpp tests/flag_report_test.cpp
  tests/report_check_memory_test.cpp fuzz/report_check_fuzzer.cpp
  fuzz/replay_main.cpp)
readonly WINDOWS_SOURCES=(src/launcher_main.cpp src/command_runner.cpp
  examples/main.cpp tests/standin_main.cpp tests/standin_cpuinfo.cpp
  tests/launcher_test.cpp bench/launch_bench.cpp bench/ten_exits.cpp)

# The packages among "$@" that are not installed.
missing_packages() {
  local package
  for package in "$@"; do
    dpkg-query -W -f='${Status}\n' "$package" 2>/dev/null |
      grep -q '^install ok installed$' || echo "$package"
  done
}

# Installs PACKAGES and any packages named, when missing.
deps() {
  local missing
  missing=$(missing_packages "${PACKAGES[@]}" "$@" | tr '\n' ' ')
  missing=${missing% }
  [[ -z $missing ]] && return 0
  local install="apt-get install -y $missing"
  if [[ $(id -u) -ne 0 ]]; then
    echo "dev.sh: missing packages: $missing" >&2
    echo "dev.sh: as root, run: apt-get update && $install" >&2
    exit 1
  fi
  echo "dev.sh: installing $missing"
  apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $install -qq >/dev/null
}

# Configures PRESET and builds it, or only the targets named after it.
build_preset() {
  local preset=$1
  shift
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" --parallel "$(nproc)" ${1:+--target "$@"}
}

build() {
  deps
  local preset
  for preset in "${PRESETS[@]}"; do
    build_preset "$preset"
  done
}

run_tests() {
  build
  local preset status=0
  for preset in "${PRESETS[@]}"; do
    echo "== ctest --preset $preset"
    ctest --preset "$preset" 2>&1 | tee "build/$preset/ctest.log" ||
      status=1
  done
  # Both summaries last, so that neither scrolls out of sight.
  for preset in "${PRESETS[@]}"; do
    echo "== summary: $preset"
    sed -n '/tests passed,/,$p' "build/$preset/ctest.log"
  done
  return $status
}

# The bytes of a line with the line end and other control bytes made
# visible: "&textfield1=none\r\n".
visible() {
  perl -pe 's/\r/\\r/g; s/\n/\\n/g; s/([\x00-\x1f\x7f-\xff])/sprintf("\\x%02X", ord $1)/ge'
}

first_line() {
  if [[ -f $1 ]]; then
    head -n 1 "$1" | tr -d '\r\n' | visible
    echo
  else
    echo "(missing)"
  fi
}

# True while a main.exe of this demo's prefix runs.
main_running() {
  local process
  for process in /proc/[0-9]*; do
    { tr '\0' ' ' <"$process/cmdline"; } 2>/dev/null |
      grep -qi 'main\.exe' || continue
    { tr '\0' '\n' <"$process/environ"; } 2>/dev/null |
      grep -qxF "WINEPREFIX=$WINEPREFIX" && return 0
  done
  return 1
}

demo() {
  local source_dir=${1:-}
  if [[ -n $source_dir ]]; then
    local missing=()
    [[ -f $source_dir/cpuinfo.exe ]] || missing+=("cpuinfo.exe")
    [[ -f $source_dir/assets/main.exe ]] || missing+=("assets/main.exe")
    if ((${#missing[@]})); then
      echo "dev.sh demo: $source_dir must hold cpuinfo.exe and assets/main.exe;" \
        "missing: ${missing[*]}" >&2
      exit 2
    fi
    source_dir=$(cd "$source_dir" && pwd)
  fi

  deps
  build_preset windows launcher example_cpuinfo example_main >/dev/null

  local root=$PWD/build/demo
  export WINEPREFIX=$root/wineprefix WINEDEBUG=-all
  if [[ ! -d $WINEPREFIX/drive_c/windows ]]; then
    echo "making the demo's Wine prefix in $WINEPREFIX ..."
    sh cmake/wine-prefix.sh start "$WINEPREFIX"
  else
    wineserver -p >/dev/null 2>&1 </dev/null
  fi
  trap 'wineserver -k 2>/dev/null || true' EXIT

  # A fresh deployment folder, C:\demo, and no working folder yet.
  local drive_c=$WINEPREFIX/drive_c
  local deploy=$drive_c/demo
  rm -rf "$drive_c/User" "$deploy"
  mkdir -p "$deploy/assets"
  if [[ -n $source_dir ]]; then
    cp -R "$source_dir/." "$deploy/"
  else
    cp build/windows/bin/examples/cpuinfo.exe "$deploy/"
    cp build/windows/bin/examples/assets/main.exe "$deploy/assets/"
  fi
  cp build/windows/bin/launcher.exe "$deploy/"

  local started ended status=0
  started=$(date +%s%N)
  (cd "$deploy" && wine launcher.exe </dev/null >"$root/launcher.out" 2>&1) ||
    status=$?
  ended=$(date +%s%N)

  # The main application runs on after the launcher; give it 30 s.
  local waited=0
  while main_running && ((waited < 300)); do
    sleep 0.1
    waited=$((waited + 1))
  done

  local work=$drive_c/User/ZUQ
  echo
  printf 'launcher.exe      exit status %s after %d ms (C:\\demo, under Wine)\n' \
    "$status" $(((ended - started) / 1000000))
  echo "c:\\User\\ZUQ"
  if [[ -d $work ]]; then
    (cd "$work" && find . -maxdepth 1 -type f -printf '  %-16f %s bytes\n' | sort)
  else
    echo "  (not there)"
  fi
  printf 'ver.txt           '
  if [[ -f $work/ver.txt ]]; then visible <"$work/ver.txt"; echo; else echo "(no ver.txt)"; fi
  printf 'ver_cmt.txt       %s\n' "$(first_line "$work/ver_cmt.txt")"
  printf 'ver_branding.txt  %s\n' "$(first_line "$work/ver_branding.txt")"
  if [[ -f $deploy/assets/main.log ]]; then
    echo "main.exe said (assets\\main.log):"
    tr -d '\r' <"$deploy/assets/main.log" | sed 's/^/  /'
  elif main_running; then
    echo "main.exe is still running after 30 s; left running until the demo ends"
  else
    echo "main.exe wrote no assets\\main.log"
  fi
  if [[ -s $root/launcher.out ]]; then
    echo "the interpreter printed:"
    tr -d '\r' <"$root/launcher.out" | sed 's/^/  /'
    echo
  fi
}

# Stops with a usage error unless VALUE is a whole number.
require_number() {
  [[ $2 =~ ^[0-9]+$ ]] || { echo "dev.sh: $1 must be a whole number, not '$2'" >&2; exit 2; }
}

fuzz() {
  local seconds=${1:-60}
  require_number SECONDS "$seconds"
  deps "${FUZZ_PACKAGES[@]}"
  build_preset fuzz report_check_fuzzer

  # New inputs go to build/fuzz/corpus; the committed sample reports in
  # fuzz/corpus stay as they are.
  # Inputs may exceed the report check's 64 KiB read chunk.
  local work=build/fuzz
  mkdir -p "$work/corpus" "$work/artifacts"
  rm -f "$work/artifacts"/*
  local status=0
  # Each input becomes a file; in memory when the machine has /dev/shm.
  [[ -d /dev/shm && -w /dev/shm ]] && export TMPDIR=/dev/shm
  "$work/bin/report_check_fuzzer" -max_total_time="$seconds" -max_len=200000 \
    -print_final_stats=1 -artifact_prefix="$work/artifacts/" \
    "$work/corpus" fuzz/corpus >"$work/fuzz.log" 2>&1 || status=$?

  local executions findings
  executions=$(sed -n 's/^stat::number_of_executed_units: *//p' "$work/fuzz.log")
  findings=$(find "$work/artifacts" -type f | wc -l)
  echo "fuzz: ${executions:-?} executions in $seconds s, $findings findings" \
    "(log: $work/fuzz.log)"
  if ((findings > 0 || status != 0)); then
    # Saved where the tests replay them, to be committed with the fix.
    cp "$work/artifacts"/* fuzz/crashes/ 2>/dev/null || true
    echo "fuzz: failing inputs copied to fuzz/crashes/" >&2
    tail -n 30 "$work/fuzz.log" >&2
    return 1
  fi
}

lint() {
  deps "${LINT_PACKAGES[@]}"
  cmake --preset host >/dev/null
  cmake --preset windows >/dev/null
  local status=0

  # clang-tidy counts the warnings it suppressed in system headers; only
  # the project's own findings are worth showing.
  local log=build/clang-tidy.log
  echo "== clang-tidy (host)"
  clang-tidy -p build/host --quiet "${HOST_SOURCES[@]}" >"$log" 2>&1 || status=1
  grep -v ' warnings\{0,1\} generated\.$' "$log" || true

  # clang reads the cross build's flags, but finds MinGW's C++ headers only
  # when they are named.
  echo "== clang-tidy (windows)"
  local includes=() dir
  while read -r dir; do
    includes+=("--extra-arg=-isystem$dir")
  done < <(x86_64-w64-mingw32-g++-posix -xc++ -E -v /dev/null 2>&1 |
    sed -n '/search starts here/,/End of search/s|^ \(.*/c++.*\)$|\1|p')
  clang-tidy -p build/windows --quiet "${includes[@]}" "${WINDOWS_SOURCES[@]}" \
    >"$log" 2>&1 || status=1
  grep -v ' warnings\{0,1\} generated\.$' "$log" || true

  echo "== cppcheck"
  # GoogleTest's parameterized cases read their table's members through
  # GetParam(), which cppcheck does not follow.
  cppcheck --enable=warning,style,performance,portability --std=c++17 \
    --library=googletest --library=windows --library=posix \
    --suppress=missingIncludeSystem --suppress='unusedStructMember:tests/*' \
    --inline-suppr --error-exitcode=1 --quiet \
    -I src -I examples src examples tests fuzz bench || status=1

  ((status == 0)) && echo "lint: clean"
  return $status
}

# One launcher.exe size build for the benchmarks: LABEL, then cmake options.
size_build() {
  local label=$1 dir=build/bench/size/$2
  shift 2
  cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=Release -DLAUNCHER_BUILD_TESTS=OFF \
    -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/toolchain-mingw-w64-x86_64.cmake" \
    "$@" >/dev/null
  cmake --build "$dir" --target launcher --parallel "$(nproc)" >/dev/null
  printf '%s\t%s\n' "$label" "$(stat -c %s "$dir/bin/launcher.exe")"
}

# One round of one benchmark family: NAME (its results file), FILTER, ROUND.
run_family() {
  echo "== $2 (round $3)"
  build/bench/bin/report_check_bench --benchmark_filter="$2" \
    --benchmark_repetitions=5 --benchmark_report_aggregates_only=true \
    --benchmark_out="$BENCH_RESULTS/$1.$3.json" --benchmark_out_format=json
}

bench() {
  local runs=${1:-15}
  require_number RUNS "$runs"
  deps "${BENCH_PACKAGES[@]}"
  build_preset bench report_check_bench
  build_preset windows launch_bench

  local results=$BENCH_RESULTS
  rm -rf "$results"
  mkdir -p "$results"

  # Each family in a process of its own, so that none inherits the heap
  # (and the allocator's thresholds) that another one left. The check and
  # the standard library's operator>> take turns, three rounds each, so
  # that a change in the machine's load falls on both alike.
  run_family report_size BM_ReportSize/ 1
  run_family peak_memory BM_PeakMemory 1
  local round
  for round in 1 2 3; do
    run_family word_length BM_WordLength/ "$round"
    run_family std_extract BM_WordLengthStdExtract/ "$round"
  done

  echo "== launch under Wine ($runs runs)"
  export WINEPREFIX=$PWD/build/bench/wineprefix WINEDEBUG=-all
  sh cmake/wine-prefix.sh start "$WINEPREFIX"
  trap 'sh cmake/wine-prefix.sh stop "$WINEPREFIX"' EXIT
  cmake/wine-run.sh build/windows/bin/launch_bench.exe "$runs" | tr -d '\r' |
    tee "$results/launch.txt"

  echo "== launcher.exe size builds"
  local map=$PWD/build/bench/size/launcher.map
  {
    size_build "static, symbols kept, all sections" full \
      -DLAUNCHER_STRIP=OFF -DLAUNCHER_GC_SECTIONS=OFF
    size_build "static, stripped (-s)" stripped -DLAUNCHER_GC_SECTIONS=OFF
    size_build "static, stripped, unreferenced sections dropped (shipped)" shipped \
      -DCMAKE_EXE_LINKER_FLAGS="-static -Wl,-Map=$map"
    size_build "for comparison: C++ runtime as DLLs, not self-contained" shared \
      -DCMAKE_EXE_LINKER_FLAGS=""
  } | tee "$results/sizes.txt"
  python3 bench/size_breakdown.py "$map" >"$results/breakdown.txt"

  {
    printf 'date\t%s\n' "$(date -u +%Y-%m-%d)"
    printf 'processor\t%s\n' "$(sed -n 's/^model name[[:space:]]*: //p' /proc/cpuinfo | head -n 1)"
    printf 'cores\t%s\n' "$(nproc)"
    printf 'memory\t%s GiB\n' "$(awk '/MemTotal/ {printf "%.0f", $2 / 1048576}' /proc/meminfo)"
    printf 'kernel\tLinux %s\n' "$(uname -r)"
    printf 'Wine\t%s\n' "$(wine --version)"
    printf 'compilers\t%s; %s\n' "$(g++ --version | head -n 1)" \
      "$(x86_64-w64-mingw32-g++-posix --version | head -n 1)"
    printf 'launch runs\t%s\n' "$runs"
  } >"$results/machine.txt"
  python3 bench/make_report.py "$results" BENCHMARKS.md
  echo "bench: wrote BENCHMARKS.md (raw results in $results)"
}

package() {
  build
  cpack --config build/windows/CPackConfig.cmake
}

case ${1:-} in
  deps) deps ;;
  build) build ;;
  test) run_tests ;;
  demo) shift; demo "$@" ;;
  package) package ;;
  fuzz) shift; fuzz "$@" ;;
  lint) lint ;;
  bench) shift; bench "$@" ;;
  *)
    sed -n '2,17s/^# \{0,1\}//p' "${BASH_SOURCE[0]}" >&2
    exit 2
    ;;
esac
