#!/usr/bin/env bash
# A throwaway PostgreSQL server for the tests and benchmarks.
#
#   scripts/pg-test-server.sh start DIR [DBNAME]   initdb into DIR, start, create DBNAME
#   scripts/pg-test-server.sh stop DIR             stop the server by its pid, remove DIR
#   scripts/pg-test-server.sh restart DIR          stop and start again on the same data
#
# The server listens only on a Unix socket in DIR (no TCP port), trusts local
# connections and keeps its data in DIR/data. Run as root (CI), the cluster
# belongs to the unprivileged user "postgres", since the server refuses to
# run as root. start prints the connection string on stdout and writes it to
# DIR/conninfo; the server's pid is in DIR/server.pid.
set -euo pipefail

find_bin() {  # the newest installed server's programs, or those on PATH
  local dir
  for dir in $(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V -r); do
    [ -x "$dir/initdb" ] && { echo "$dir"; return; }
  done
  dirname "$(command -v initdb)"
}

as_owner() {  # runs a command as the cluster's owner
  if [ "$(id -u)" -eq 0 ]; then
    runuser -u postgres -- "$@"
  else
    "$@"
  fi
}

wait_ready() {  # wait_ready DIR: until the socket takes connections (30 s at most)
  local dir=$1 i
  for i in $(seq 1 300); do
    if "$BIN/pg_isready" -q -h "$dir" -U postgres 2>/dev/null; then return 0; fi
    if ! kill -0 "$(cat "$dir/server.pid")" 2>/dev/null; then
      echo "pg-test-server: the server ended while starting:" >&2
      cat "$dir/server.log" >&2
      return 1
    fi
    sleep 0.1
  done
  echo "pg-test-server: the server did not come up within 30 s" >&2
  cat "$dir/server.log" >&2
  return 1
}

launch() {  # launch DIR: the server in the background, its pid in DIR/server.pid
  local dir=$1
  # listen_addresses '' : no TCP at all, only the socket in DIR.
  as_owner "$BIN/postgres" -D "$dir/data" -k "$dir" -c listen_addresses= \
    -c fsync=off -c synchronous_commit=off -c full_page_writes=off \
    -c max_connections=60 -c shared_buffers=128MB >>"$dir/server.log" 2>&1 &
  echo $! >"$dir/server.pid"
  wait_ready "$dir"
}

stop_server() {  # stop_server DIR: fast shutdown by pid, then wait for it to end
  local dir=$1 pid i
  [ -f "$dir/server.pid" ] || return 0
  pid=$(cat "$dir/server.pid")
  # runuser stays the parent while the server runs; the server itself is its
  # child. SIGINT to the server is the fast shutdown (clients are
  # disconnected); the postmaster.pid file names the server.
  local server_pid=$pid
  [ -f "$dir/data/postmaster.pid" ] && server_pid=$(head -n1 "$dir/data/postmaster.pid")
  kill -INT "$server_pid" 2>/dev/null || true
  for i in $(seq 1 100); do
    kill -0 "$server_pid" 2>/dev/null || break
    sleep 0.1
  done
  kill -0 "$server_pid" 2>/dev/null && kill -KILL "$server_pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
  rm -f "$dir/server.pid"
}

BIN=$(find_bin)
command=${1:-}
dir=${2:-}
[ -n "$command" ] && [ -n "$dir" ] || { echo "usage: $0 start|stop|restart DIR [DBNAME]" >&2; exit 2; }

case "$command" in
  start)
    dbname=${3:-agendor}
    # A server left over from an interrupted run is stopped first.
    stop_server "$dir"
    rm -rf "$dir"
    mkdir -p "$dir"
    [ "$(id -u)" -eq 0 ] && chown postgres: "$dir"
    as_owner "$BIN/initdb" -D "$dir/data" -U postgres --auth=trust --encoding=UTF8 --locale=C.UTF-8 \
      >"$dir/initdb.log" 2>&1 || { cat "$dir/initdb.log" >&2; exit 1; }
    launch "$dir"
    "$BIN/createdb" -h "$dir" -U postgres "$dbname"
    conninfo="host=$dir user=postgres dbname=$dbname"
    echo "$conninfo" >"$dir/conninfo"
    echo "$conninfo"
    ;;
  restart)
    stop_server "$dir"
    launch "$dir"
    ;;
  stop)
    stop_server "$dir"
    rm -rf "$dir"
    ;;
  *) echo "usage: $0 start|stop|restart DIR [DBNAME]" >&2; exit 2 ;;
esac
