#!/usr/bin/env bash
# Without a display, scripts/start-editor shows the editor over VNC: the
# address it prints answers with the RFB handshake.
# usage: test_headless_run.sh START-EDITOR LARKSPUR
set -euo pipefail
start="$1"
bin="$2"
work=$(mktemp -d)
trap 'kill "$pid" 2>/dev/null || true; wait "$pid" 2>/dev/null || true; rm -rf "$work"' EXIT
printf '[Section]\r\nkey=value\r\n' >"$work/app.ini"

env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM XDG_DATA_HOME="$work/data" XDG_STATE_HOME="$work/state" \
    LARKSPUR_VNC_PORT=5930 \
    "$start" "$bin" "$work/app.ini" >"$work/out" 2>"$work/err" &
pid=$!

port=
for _ in $(seq 100); do
    port=$(sed -n 's/.*at 127\.0\.0\.1:\([0-9]*\) .*/\1/p' "$work/out")
    [ -n "$port" ] && break
    sleep 0.1
done
[ -n "$port" ] || { echo "no address printed"; cat "$work/out" "$work/err"; exit 1; }

greeting=
for _ in $(seq 100); do
    greeting=$( (exec 3<>"/dev/tcp/127.0.0.1/$port" && read -r -t 5 -u 3 line && echo "$line") 2>/dev/null || true)
    [ -n "$greeting" ] && break
    sleep 0.1
done
case "$greeting" in
RFB\ 003.*) echo "port $port answered: $greeting" ;;
*) echo "port $port gave no RFB greeting: '$greeting'"; cat "$work/err"; exit 1 ;;
esac
