#!/usr/bin/env bash
# Runs one test binary on a private Xvfb display with openbox, in a temporary HOME with
# its own XDG folders, and removes every process it started.
set -u
tmp=$(mktemp -d /tmp/tarnel-x11.XXXXXX)
mkdir -p "$tmp/home" "$tmp/config" "$tmp/data" "$tmp/cache" "$tmp/runtime" "$tmp/home/Pictures"
chmod 700 "$tmp/runtime"
export HOME="$tmp/home" XDG_CONFIG_HOME="$tmp/config" XDG_DATA_HOME="$tmp/data" \
       XDG_CACHE_HOME="$tmp/cache" XDG_RUNTIME_DIR="$tmp/runtime"
unset WAYLAND_DISPLAY QT_QPA_PLATFORM XDG_SESSION_TYPE
export TARNEL_TEST_X11=1

exec 3<> "$tmp/displayfd"
Xvfb -displayfd 3 -screen 0 1920x1080x24 -nolisten tcp -noreset >"$tmp/xvfb.log" 2>&1 &
xvfb=$!
for _ in $(seq 1 100); do
  num=$(cat "$tmp/displayfd" 2>/dev/null | head -n1)
  [ -n "$num" ] && break
  sleep 0.05
done
if [ -z "${num:-}" ]; then echo "with-x11: Xvfb did not start" >&2; cat "$tmp/xvfb.log" >&2; kill $xvfb; exit 1; fi
export DISPLAY=":$num"

wm=""
if [ "${TARNEL_NO_WM:-0}" != "1" ]; then
  openbox >"$tmp/openbox.log" 2>&1 &
  wm=$!
  for _ in $(seq 1 100); do
    xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break
    sleep 0.05
  done
fi

"$@"
rc=$?

[ -n "$wm" ] && kill "$wm" 2>/dev/null
kill "$xvfb" 2>/dev/null
wait 2>/dev/null
rm -rf "$tmp"
exit $rc
