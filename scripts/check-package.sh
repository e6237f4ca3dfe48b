#!/usr/bin/env bash
# The package as a host meets it: installs a build into a temporary prefix,
# checks what the tree holds, builds examples/minimal-host from the prefix
# alone (with CMake, and once more with pkg-config) and runs it headless to
# a screenshot.
#   scripts/check-package.sh BUILD_DIR [LABEL]
set -euo pipefail
cd "$(dirname "$0")/.."
build=$1
label=${2:-$build}
work=$(mktemp -d)
prefix=$work/prefix
fail() { echo "[$label] package: $*" >&2; exit 1; }

cmake --install "$build" --prefix "$prefix" > "$work/install.log"

# Nothing of the tests, the benchmarks or the in-memory doubles; every
# header installed compiles on its own from the prefix, so none needs a
# header that stayed behind.
if (cd "$prefix" && find .) | grep -E -i 'test|bench|/memory/|gtest|gmock'; then
  fail "the install tree holds test or benchmark files"
fi
export PKG_CONFIG_PATH=$prefix/lib/pkgconfig
flags=$(pkg-config --cflags agendor-qt agendor-sqlite agendor-sql)
for header in $(cd "$prefix/include" && find agendor -name '*.h' | sort); do
  echo "#include <$header>" | c++ -std=c++20 -fPIC -fsyntax-only -Wall -Wextra -Werror $flags -x c++ - \
    || fail "$header does not compile on its own"
done

# Shared libraries export the public interface and nothing of the inside.
if [ -e "$prefix/lib/libagendor_core.so" ]; then
  exported=$(nm -DC --defined-only "$prefix/lib/libagendor_core.so")
  grep -q 'agendor::Agendor::Refresh()' <<< "$exported" || fail "libagendor_core.so does not export Agendor::Refresh"
  if grep -q 'agendor::BuildMonthSheet' <<< "$exported"; then
    fail "libagendor_core.so exports the sheet builders"
  fi
  readelf -d "$prefix/lib/libagendor_core.so" | grep -q 'SONAME.*libagendor_core.so.3' || fail "no soname libagendor_core.so.3"
fi

cmake -S examples/minimal-host -B "$work/host" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_PREFIX_PATH="$prefix" \
  > "$work/host-configure.log"
cmake --build "$work/host" > "$work/host-build.log"
QT_QPA_PLATFORM=offscreen "$work/host/minimal-host" "$work/termine.sqlite" --screenshot "$work/minimal-host.png"
[ -s "$work/minimal-host.png" ] || fail "the minimal host wrote no screenshot"

# pkg-config for hosts without CMake; this host opens the file the first
# one created.
c++ -std=c++20 -fPIC -o "$work/minimal-host-pc" examples/minimal-host/main.cpp \
  $(pkg-config --cflags --libs agendor-qt agendor-sqlite) -Wl,-rpath,"$prefix/lib"
QT_QPA_PLATFORM=offscreen "$work/minimal-host-pc" "$work/termine.sqlite" --screenshot "$work/minimal-host-pc.png"
[ -s "$work/minimal-host-pc.png" ] || fail "the host built with pkg-config wrote no screenshot"

echo "[$label] package: the minimal host built from $prefix shows $work/minimal-host.png"
