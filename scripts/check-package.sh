#!/usr/bin/env bash
# The package as a host meets it: installs a build into a temporary prefix,
# checks what the tree holds, builds examples/minimal-host from the prefix
# alone (with CMake, and once more with pkg-config) and runs it headless to
# a screenshot; builds examples/postgres-host the same two ways and runs it
# against a server that is not there (the check starts none), which must end
# in the backend's own error, caught by the host.
#   scripts/check-package.sh BUILD_DIR [LABEL]
set -euo pipefail
cd "$(dirname "$0")/.."
build=$1
label=${2:-$build}
work=$(mktemp -d)
prefix=$work/prefix
fail() { echo "[$label] package: $*" >&2; exit 1; }

cmake --install "$build" --prefix "$prefix" > "$work/install.log"

# Nothing of the tests or the benchmarks (the in-memory backend is the
# headless component, not a test); every
# header installed compiles on its own from the prefix, so none needs a
# header that stayed behind.
if (cd "$prefix" && find .) | grep -E -i 'test|bench|gtest|gmock'; then
  fail "the install tree holds test or benchmark files"
fi
export PKG_CONFIG_PATH=$prefix/lib/pkgconfig
flags=$(pkg-config --cflags agendor-qt agendor-sqlite agendor-postgres agendor-sql)
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
  exported=$(nm -DC --defined-only "$prefix/lib/libagendor_postgres.so")
  grep -q 'agendor::postgres::PgDatabase::Open(' <<< "$exported" || fail "libagendor_postgres.so does not export PgDatabase::Open"
  grep -q 'typeinfo for agendor::postgres::PgError' <<< "$exported" || fail "libagendor_postgres.so does not export PgError's type"
  if grep -q 'agendor::postgres::TranslateForServer' <<< "$exported"; then
    fail "libagendor_postgres.so exports the dialect"
  fi
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

# The PostgreSQL host, without Qt. No server listens in the empty folder
# named: the host must catch the backend's PgError (status 1) with libpq's
# reason in it.
no_server="host=$work/no-server dbname=agendor connect_timeout=5"
run_postgres_host() {  # run_postgres_host PROGRAM
  local status=0
  "$1" "$no_server" > "$work/postgres-host.out" 2> "$work/postgres-host.err" || status=$?
  [ "$status" -eq 1 ] || { cat "$work/postgres-host.err" >&2; fail "$1 ended with status $status, not 1 (PgError)"; }
  grep -q '^Keine Verbindung zum Datenbankserver: .*no-server' "$work/postgres-host.err" \
    || { cat "$work/postgres-host.err" >&2; fail "$1 did not report the missing server"; }
}
mkdir "$work/no-server"
cmake -S examples/postgres-host -B "$work/postgres-host" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_PREFIX_PATH="$prefix" \
  > "$work/postgres-host-configure.log"
grep -q 'Qt6' "$work/postgres-host/CMakeCache.txt" && fail "find_package(Agendor COMPONENTS postgres) looked for Qt"
cmake --build "$work/postgres-host" > "$work/postgres-host-build.log"
run_postgres_host "$work/postgres-host/postgres-host"
c++ -std=c++20 -fPIC -o "$work/postgres-host-pc" examples/postgres-host/main.cpp \
  $(pkg-config --cflags --libs agendor-postgres) -Wl,-rpath,"$prefix/lib"
run_postgres_host "$work/postgres-host-pc"

echo "[$label] package: the minimal host built from $prefix shows $work/minimal-host.png"
