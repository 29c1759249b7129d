#!/usr/bin/env bash
# Installs every Debian 12 package Tarnel needs to build, run and test.
# The one list of packages lives here; README and CI call this script.
set -euo pipefail

PACKAGES=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-base-dev-tools qt6-svg-dev libqt6svg6 qt6-qpa-plugins qt6-translations-l10n qt6-wayland
  libgl-dev
  libx11-dev libxcb1-dev libxcb-xfixes0-dev libxtst-dev libxi-dev libxfixes-dev libxext-dev libxss-dev libxkbcommon-dev libxkbcommon-x11-dev
  libtesseract-dev tesseract-ocr-eng tesseract-ocr-slk
  libzxing-dev
  libsqlite3-dev zlib1g-dev libxxhash-dev
  sqlite3
  fonts-inter
  breeze-icon-theme
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  clang libfuzzer-14-dev clang-format
  xvfb xauth xclip xdotool openbox x11-utils x11-apps trayer xcompmgr picom xterm rxvt-unicode stterm
  python3-gi gir1.2-gtk-3.0 python3-tk
  gir1.2-gtk-4.0
  metacity xfwm4 fluxbox icewm i3-wm dbus-x11 dbus-daemon i3lock
  jwm wmaker marco mate-settings-daemon-common twm fvwm kwin-x11
  konsole terminator emacs-gtk libreoffice-writer
  vim-gtk3
  gnome-terminal
  desktop-file-utils appstream
  sway xwayland wl-clipboard
)

missing=()
for p in "${PACKAGES[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

if [ ${#missing[@]} -eq 0 ]; then
  echo "setup: all packages present"
  exit 0
fi

SUDO=""
if [ "$(id -u)" -ne 0 ]; then
  if command -v sudo >/dev/null 2>&1; then SUDO="sudo"; else
    echo "setup: missing packages (${missing[*]}) and not root; install them as root" >&2
    exit 1
  fi
fi

echo "setup: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
