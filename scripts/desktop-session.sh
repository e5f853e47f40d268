# shellcheck shell=bash
# Sourced after recording-session.sh by the whole-program benchmarks: what a desktop adds to
# the bare screen — a compositing manager and a session bus — stopped on exit with the rest.
xcompmgr >/dev/null 2>&1 & pids+=($!)
export DBUS_SESSION_BUS_ADDRESS=unix:path=$XDG_RUNTIME_DIR/bus
dbus-daemon --session --nofork --address="$DBUS_SESSION_BUS_ADDRESS" >/dev/null 2>&1 & pids+=($!)
for _ in $(seq 100); do [ -S "$XDG_RUNTIME_DIR/bus" ] && break; sleep 0.05; done
sleep 0.5
