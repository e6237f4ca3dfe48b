#!/usr/bin/env bash
# A throwaway CUPS scheduler with one PDF queue, for the print tests.
#
#   scripts/cups-test-server.sh start DIR QUEUE   configure in DIR, start, add QUEUE
#   scripts/cups-test-server.sh stop DIR QUEUE    stop the scheduler by its pid, remove DIR
#
# The scheduler keeps its configuration, spool, cache, state and logs in DIR
# and listens only on the Unix socket DIR/cups.sock (no TCP port), so it
# neither meets the system's scheduler nor another build's. Clients reach it
# with CUPS_SERVER=DIR/cups.sock. QUEUE is a cups-pdf queue: every job it
# prints arrives as a PDF file in DIR/out. cups-pdf reads its settings only
# from /etc/cups, one file per queue name (cups-pdf-QUEUE.conf), which start
# writes and stop removes; QUEUE should therefore be a name of this build's
# own. Needs the packages cups and printer-driver-cups-pdf, and root, as the
# cups-pdf backend runs only as root.
set -euo pipefail

command=${1:-}
dir=${2:-}
queue=${3:-}
[ -n "$command" ] && [ -n "$dir" ] && [ -n "$queue" ] || { echo "usage: $0 start|stop DIR QUEUE" >&2; exit 2; }
pdf_conf=/etc/cups/cups-pdf-$queue.conf

stop_server() {
  if [ -f "$dir/cupsd.pid" ]; then
    local pid i
    pid=$(cat "$dir/cupsd.pid")
    kill -TERM "$pid" 2>/dev/null || true
    for i in $(seq 1 100); do
      kill -0 "$pid" 2>/dev/null || break
      sleep 0.1
    done
    kill -0 "$pid" 2>/dev/null && kill -KILL "$pid" 2>/dev/null || true
  fi
  rm -f "$pdf_conf"
  rm -rf "$dir"
}

wait_ready() {  # until the scheduler answers on its socket (30 s at most)
  local i
  for i in $(seq 1 300); do
    # lpstat -r ends with 0 whether or not a scheduler answers: its text says.
    if [ -S "$dir/cups.sock" ] &&
       [ "$(CUPS_SERVER="$dir/cups.sock" LC_ALL=C lpstat -r 2>/dev/null)" = "scheduler is running" ]; then
      return 0
    fi
    if ! kill -0 "$(cat "$dir/cupsd.pid")" 2>/dev/null; then
      echo "cups-test-server: the scheduler ended while starting:" >&2
      cat "$dir/log/error_log" >&2 2>/dev/null || true
      return 1
    fi
    sleep 0.1
  done
  echo "cups-test-server: the scheduler did not come up within 30 s" >&2
  return 1
}

case "$command" in
  start)
    stop_server
    mkdir -p "$dir"/{etc/ppd,spool/tmp,cache,state/certs,log,out,pdf-spool,anonymous}
    # The filters run as lp and cups-pdf as the job's user: both must reach DIR.
    chmod 0755 "$dir" "$dir"/*
    chmod 1777 "$dir/spool/tmp" "$dir/pdf-spool" "$dir/out" "$dir/anonymous"
    cat >"$dir/etc/cups-files.conf" <<EOF
ServerRoot $dir/etc
RequestRoot $dir/spool
TempDir $dir/spool/tmp
CacheDir $dir/cache
StateDir $dir/state
AccessLog $dir/log/access_log
ErrorLog $dir/log/error_log
PageLog $dir/log/page_log
ServerBin /usr/lib/cups
DataDir /usr/share/cups
User lp
Group lp
SystemGroup root
Sandboxing Relaxed
FileDevice No
EOF
    cat >"$dir/etc/cupsd.conf" <<EOF
Listen $dir/cups.sock
Browsing No
BrowseLocalProtocols none
DefaultAuthType None
LogLevel warn
PreserveJobHistory Yes
PreserveJobFiles No
MaxJobs 100
<Location />
  Order allow,deny
  Allow all
</Location>
<Location /admin>
  Order allow,deny
  Allow all
</Location>
<Policy default>
  <Limit All>
    Order deny,allow
  </Limit>
</Policy>
EOF
    cat >"$pdf_conf" <<EOF
Out $dir/out
AnonDirName $dir/anonymous
Spool $dir/pdf-spool
Log $dir/log
GSTmp $dir/spool/tmp
UserPrefix
Label 0
TitlePref 1
EOF
    # -F: in the foreground of its own process, whose pid is the scheduler's.
    /usr/sbin/cupsd -F -c "$dir/etc/cupsd.conf" -s "$dir/etc/cups-files.conf" >>"$dir/log/cupsd.out" 2>&1 &
    echo $! >"$dir/cupsd.pid"
    wait_ready
    CUPS_SERVER="$dir/cups.sock" lpadmin -p "$queue" -E -v "cups-pdf:/$queue" \
      -P /usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd -o printer-error-policy=abort-job
    echo "$dir/cups.sock"
    ;;
  stop)
    stop_server
    ;;
  *)
    echo "usage: $0 start|stop DIR QUEUE" >&2
    exit 2
    ;;
esac
