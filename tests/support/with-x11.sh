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

# The window manager: openbox, or the one TARNEL_X11_WM names (metacity, xfwm4, fluxbox, icewm
# and i3, whose frames bypass the manager themselves, jwm, wmaker, marco with its compositor, fvwm,
# kwin with its compositor,
# twm, and twm-pointerroot, under which the keyboard follows the pointer). One that is missing or never comes up
# fails the run: a test meant for it must not pass without it.
wm=""
if [ "${TARNEL_NO_WM:-0}" != "1" ]; then
  manager="${TARNEL_X11_WM:-openbox}"
  case "$manager" in
    openbox) command=(openbox) ;;
    metacity) command=(metacity --no-composite) ;;
    # xfwm4 wants a session bus: a private one, ended with the rest.
    xfwm4) command=(xfwm4 --compositor=off) ;;
    fluxbox) command=(fluxbox) ;;
    # icewm without its start menu on the left Super key: it grabs the keyboard while that key
    # is down, so no shortcut with Super would reach the program under test.
    icewm) mkdir -p "$HOME/.icewm"; echo "Win95Keys=0" >"$HOME/.icewm/preferences"; command=(icewm) ;;
    # i3 with its defaults but without a bar or the programs its packaged config starts.
    i3) printf 'font pango:monospace 8\n' >"$tmp/i3.conf"; command=(i3 -c "$tmp/i3.conf") ;;
    # jwm with its packaged configuration: a tray at the bottom and four desktops.
    jwm) command=(jwm) ;;
    # Window Maker with its defaults, laid into the temporary home on its first start: the dock
    # and the clip at the screen's right edge.
    wmaker) command=(wmaker --no-autolaunch) ;;
    # marco as MATE runs it, with its compositor; its settings come from memory.
    marco) export GSETTINGS_BACKEND=memory; command=(marco --composite --sm-disable) ;;
    # twm publishes no EWMH: no active window, no stacking list, no state requests. Its packaged
    # configuration, but windows without a position of their own are placed at once rather than
    # by a drag of the user's.
    twm) { cat /etc/X11/twm/system.twmrc 2>/dev/null; echo RandomPlacement; } >"$tmp/twmrc"; command=(twm -f "$tmp/twmrc") ;;
    # twm that never gives a window the keyboard: the server's focus stays PointerRoot, and keys
    # go to the window under the pointer.
    twm-pointerroot) { cat /etc/X11/twm/system.twmrc 2>/dev/null; echo RandomPlacement; echo NoTitleFocus; } >"$tmp/twmrc"; command=(twm -f "$tmp/twmrc") ;;
    # kwin as KDE runs it, compositing; its settings in the temporary home.
    kwin) command=(kwin_x11 --replace) ;;
    # fvwm with its packaged configuration (the keyboard follows the pointer, a click raises), but
    # windows are placed where they ask rather than where they overlap least.
    fvwm) { cat /usr/share/fvwm2/default-config/config 2>/dev/null; echo 'Style * UsePPosition'; } >"$tmp/fvwm.conf"; command=(fvwm -f "$tmp/fvwm.conf") ;;
    *) echo "with-x11: unknown window manager $manager" >&2; kill $xvfb; rm -rf "$tmp"; exit 1 ;;
  esac
  if ! command -v "${command[0]}" >/dev/null || { { [ "$manager" = xfwm4 ] || [ "$manager" = kwin ]; } && ! command -v dbus-daemon >/dev/null; }; then
    echo "with-x11: window manager $manager is not installed (scripts/setup.sh installs it)" >&2
    kill $xvfb; rm -rf "$tmp"; exit 1
  fi
  if [ "$manager" = xfwm4 ] || [ "$manager" = kwin ]; then
    bus=$(dbus-daemon --session --fork --print-address=1 --print-pid=1) || { echo "with-x11: no session bus" >&2; kill $xvfb; rm -rf "$tmp"; exit 1; }
    export DBUS_SESSION_BUS_ADDRESS=$(echo "$bus" | sed -n 1p)
    buspid=$(echo "$bus" | sed -n 2p)
  fi
  "${command[@]}" >"$tmp/wm.log" 2>&1 &
  wm=$!
  up=0
  for _ in $(seq 1 200); do
    if [ "$manager" = twm ] || [ "$manager" = twm-pointerroot ]; then
      # Made once it holds the root's redirection.
      xwininfo -root -tree 2>/dev/null | grep -q '"TWM Icon Manager"' && { up=1; break; }
    else
      xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && { up=1; break; }
    fi
    sleep 0.05
  done
  if [ $up -ne 1 ]; then
    echo "with-x11: window manager $manager did not start" >&2; cat "$tmp/wm.log" >&2
    kill $wm $xvfb ${buspid:-} 2>/dev/null; wait 2>/dev/null; rm -rf "$tmp"; exit 1
  fi
  export TARNEL_X11_WM="$manager"
  # A test may pause the manager, as a loaded machine runs it late.
  export TARNEL_X11_WM_PID="$wm"
fi

"$@"
rc=$?

[ -n "$wm" ] && kill "$wm" 2>/dev/null
[ -n "${buspid:-}" ] && kill "$buspid" 2>/dev/null
kill "$xvfb" 2>/dev/null
# A manager that hangs in its own handler of the signal (fluxbox does now and then) ends hard.
if [ -n "$wm" ]; then
  for _ in $(seq 1 40); do kill -0 "$wm" 2>/dev/null || break; sleep 0.05; done
  kill -9 "$wm" 2>/dev/null
fi
wait 2>/dev/null
rm -rf "$tmp"
exit $rc
