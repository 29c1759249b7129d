#!/usr/bin/env bash
# Runs one test binary inside a headless sway session with XWayland, started here and ended
# here with every process it started. sway refuses to run as root, so as root the session and
# the test run as an unprivileged user (TARNEL_SWAY_USER, else nobody); XWayland admits only
# clients of the user that runs it. The session gets its own runtime folder, HOME and XDG
# folders. Exits 77 (skipped) when sway or XWayland is not installed.
set -u
for tool in sway Xwayland wl-copy swaymsg xdpyinfo; do
  command -v "$tool" >/dev/null 2>&1 || { echo "with-sway: $tool is not installed; skipped" >&2; exit 77; }
done

run_as=()
if [ "$(id -u)" -eq 0 ]; then
  user=${TARNEL_SWAY_USER:-nobody}
  uid=$(id -u "$user") && gid=$(id -g "$user") || { echo "with-sway: no user $user" >&2; exit 1; }
  run_as=(setpriv --reuid="$uid" --regid="$gid" --clear-groups --)
  # The test runs as that user from wherever the tree was built, which may sit under a
  # folder only root may enter (a clone in /root): let the user pass through, no more.
  for path in "$1" "$(pwd)"; do
    dir=$(dirname "$(readlink -f "$path")")
    while [ "$dir" != / ]; do
      if ! "${run_as[@]}" test -x "$dir" 2>/dev/null; then
        echo "with-sway: letting $user pass through $dir" >&2
        chmod o+x "$dir"
      fi
      dir=$(dirname "$dir")
    done
  done
fi

tmp=$(mktemp -d /tmp/tarnel-sway.XXXXXX)
chmod 755 "$tmp"
mkdir -p "$tmp/home/Pictures" "$tmp/config" "$tmp/data" "$tmp/cache" "$tmp/runtime" "$tmp/tmp"
[ ${#run_as[@]} -gt 0 ] && chown -R "$uid:$gid" "$tmp/home" "$tmp/config" "$tmp/data" "$tmp/cache" "$tmp/runtime" "$tmp/tmp"
chmod 700 "$tmp/runtime"
export HOME="$tmp/home" XDG_CONFIG_HOME="$tmp/config" XDG_DATA_HOME="$tmp/data" \
       XDG_CACHE_HOME="$tmp/cache" XDG_RUNTIME_DIR="$tmp/runtime" TMPDIR="$tmp/tmp" \
       XDG_SESSION_TYPE=wayland WLR_BACKENDS=headless WLR_LIBINPUT_NO_DEVICES=1 WLR_RENDERER=pixman
unset DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM SWAYSOCK
export TARNEL_TEST_SWAY=1

cat >"$tmp/sway.conf" <<CONF
xwayland force
output HEADLESS-1 resolution 1920x1080 position 0 0
exec sh -c 'echo "\$DISPLAY" > "$tmp/runtime/display.part" && mv "$tmp/runtime/display.part" "$tmp/runtime/display"'
CONF
chmod 644 "$tmp/sway.conf"

# A session of its own: everything sway starts (XWayland among it) ends with its group.
setsid "${run_as[@]}" sway -c "$tmp/sway.conf" >"$tmp/sway.log" 2>&1 &
sway=$!

stop() {
  kill -TERM -- "-$sway" 2>/dev/null
  for _ in $(seq 1 40); do kill -0 "$sway" 2>/dev/null || break; sleep 0.05; done
  kill -KILL -- "-$sway" 2>/dev/null
  wait 2>/dev/null
  rm -rf "$tmp"
}
fail() { echo "with-sway: $1" >&2; tail -n 30 "$tmp/sway.log" >&2; stop; exit 1; }

for _ in $(seq 1 200); do
  [ -s "$tmp/runtime/display" ] && break
  kill -0 "$sway" 2>/dev/null || fail "sway ended at start"
  sleep 0.05
done
[ -s "$tmp/runtime/display" ] || fail "XWayland did not start"
DISPLAY=$(cat "$tmp/runtime/display")
WAYLAND_DISPLAY=$(cd "$tmp/runtime" && ls wayland-* 2>/dev/null | grep -v '\.lock$' | head -n1)
SWAYSOCK=$(ls "$tmp"/runtime/sway-ipc.*.sock 2>/dev/null | head -n1)
export DISPLAY WAYLAND_DISPLAY SWAYSOCK
[ -n "$WAYLAND_DISPLAY" ] && [ -n "$SWAYSOCK" ] || fail "no Wayland or sway socket"
for _ in $(seq 1 200); do
  "${run_as[@]}" xdpyinfo >/dev/null 2>&1 && break
  sleep 0.05
done
"${run_as[@]}" xdpyinfo >/dev/null 2>&1 || fail "XWayland does not answer on $DISPLAY"

# The test's own windows are X11 clients, as Tarnel's are; Tarnel is started without this.
QT_QPA_PLATFORM=xcb "${run_as[@]}" timeout -k 5 "${TARNEL_SWAY_TEST_TIMEOUT:-240}" "$@" &
test_run=$!
wait "$test_run"
rc=$?
# timeout leads a process group of its own: whatever the test left running ends with it.
kill -KILL -- "-$test_run" 2>/dev/null
stop
exit $rc
