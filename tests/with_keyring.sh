#!/bin/sh
# Runs a test on a session bus of its own with a Secret Service (gnome-keyring-daemon) unlocked in
# a throwaway home, so that the user's own keyring is never touched. Where either program is
# missing the test runs without a bus, and says that it skips.
home=$(mktemp -d) || exit 1
trap 'rm -rf "$home"' EXIT
export HOME="$home" XDG_DATA_HOME="$home/data" XDG_CONFIG_HOME="$home/config" \
  XDG_CACHE_HOME="$home/cache" XDG_RUNTIME_DIR="$home/run"
mkdir -m 700 "$XDG_RUNTIME_DIR"
if command -v dbus-run-session >/dev/null && command -v gnome-keyring-daemon >/dev/null; then
  dbus-run-session -- sh -c \
    'printf %s throwaway | gnome-keyring-daemon --unlock --components=secrets >/dev/null; "$@"' \
    sh "$@"
else
  env -u DBUS_SESSION_BUS_ADDRESS "$@"
fi
