#!/usr/bin/env bash
# One entry point for a fresh Debian 12 machine:
#   scripts/setup-and-run.sh demo   installs what is needed, builds, starts the demo
#   scripts/setup-and-run.sh test   installs what is needed, builds twice (normal and
#                                   with AddressSanitizer + UBSan) and runs every test,
#                                   then runs each fuzz target for 45 s;
#                                   builds the minimal host against the installed
#                                   package, static and shared
# The PostgreSQL tests need no server beforehand: CTest starts a throwaway one
# (scripts/pg-test-server.sh, as the user postgres when run as root) and stops
# it by its pid at the end.
set -euo pipefail
cd "$(dirname "$0")/.."
mode=${1:-demo}
shift || true

PACKAGES=(build-essential cmake ninja-build pkg-config python3
  libgtest-dev libgmock-dev googletest libbenchmark-dev
  libsqlite3-dev sqlite3 libicu-dev libical-dev tzdata
  libpq-dev postgresql
  clang-14 libclang-rt-14-dev
  qt6-base-dev qt6-tools-dev libqt6opengl6-dev qt6-translations-l10n libgl-dev fonts-dejavu-core fonts-dejavu-extra xvfb xauth openbox poppler-utils
  cups printer-driver-cups-pdf)

install_packages() {
  local missing=()
  for p in "${PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  local sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  $sudo apt-get update
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y --no-install-recommends "${missing[@]}"
}

build() {  # build <dir> [cmake options...]
  local dir=$1; shift
  cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@"
  cmake --build "$dir" -j "$(nproc)"
}

run_tests() {  # run_tests <dir> <label>
  local dir=$1 label=$2 log
  log=$(mktemp)
  echo "== tests: $label"
  if ! QT_QPA_PLATFORM=offscreen ctest --test-dir "$dir" -j "$(nproc)" --output-on-failure --timeout 300 2>&1 | tee "$log"; then
    grep -E 'tests passed|tests failed' "$log" | sed "s/^/[$label] /"
    return 1
  fi
  grep -E 'tests passed|tests failed' "$log" | sed "s/^/[$label] /"
}

install_packages
case "$mode" in
  test)
    build build
    run_tests build normal
    bash scripts/check-package.sh build static
    # The shared libraries alone (no tests, tools or benchmarks) for the same check.
    cmake -S . -B build-shared -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_SHARED_LIBS=ON
    cmake --build build-shared -j "$(nproc)"
    bash scripts/check-package.sh build-shared shared
    export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
    export LSAN_OPTIONS="suppressions=$PWD/scripts/lsan.supp"
    build build-asan -DAGENDOR_SANITIZE=ON -DAGENDOR_WITH_BENCH=OFF
    run_tests build-asan "asan+ubsan"
    # The fuzz targets in a clang build of their own (only they are built),
    # each run for a bounded time from its committed corpus; any finding
    # fails the run.
    CC=clang-14 CXX=clang++-14 cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
      -DAGENDOR_FUZZ=ON -DAGENDOR_WITH_TESTS=OFF -DAGENDOR_WITH_TOOLS=OFF -DAGENDOR_WITH_BENCH=OFF \
      -DAGENDOR_WITH_DESIGNER=OFF
    cmake --build build-fuzz -j "$(nproc)" --target fuzz
    bash scripts/run-fuzzers.sh build-fuzz "${AGENDOR_FUZZ_SECONDS:-45}"
    ;;
  demo)
    build build
    if [ -x build/demo/agendor-demo ]; then
      if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
        exec build/demo/agendor-demo "$@"
      fi
      shot="$PWD/agendor-month.png"
      build/demo/agendor-demo --screenshot "$shot" "$@"
      echo "No display: wrote a screenshot of the current month to $shot"
    else
      exec build/tools/agendor-cli sheet "$@"
    fi
    ;;
  *) echo "usage: $0 demo|test" >&2; exit 2 ;;
esac
