#!/usr/bin/env bash
# Developer commands for the launcher.
#
#   ./dev.sh deps    install what the build and the tests need (Debian 12)
#   ./dev.sh build   configure and build both presets, host and windows
#   ./dev.sh test    build both presets and run every test
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")"

readonly PRESETS=(host windows)
readonly PACKAGES=(cmake g++ googletest g++-mingw-w64-x86-64-posix wine wine64)

missing_packages() {
  local package
  for package in "${PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}\n' "$package" 2>/dev/null |
      grep -q '^install ok installed$' || echo "$package"
  done
}

deps() {
  local missing
  missing=$(missing_packages | tr '\n' ' ')
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

build() {
  deps
  local preset
  for preset in "${PRESETS[@]}"; do
    cmake --preset "$preset" >/dev/null
    cmake --build --preset "$preset" --parallel "$(nproc)"
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

case ${1:-} in
  deps) deps ;;
  build) build ;;
  test) run_tests ;;
  *)
    sed -n '2,7s/^# \{0,1\}//p' "${BASH_SOURCE[0]}" >&2
    exit 2
    ;;
esac
