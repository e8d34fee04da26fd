#!/bin/sh
# The built program started by root the way `make run` starts it, without
# QTWEBENGINE_DISABLE_SANDBOX: it must show its window under Xvfb and write
# its data files. Skipped for other users.
set -eu
program=$1
[ "$(id -u)" -eq 0 ] || { echo "not root: nothing to test"; exit 77; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; cat "$work/out" "$work/err" 2>/dev/null; exit 1; }

# A copy, so that the build folder's own data files are not touched.
mkdir -p "$work/app" "$work/home"
cp "$program" "$work/app/postmaven"
mkdir -m 700 "$work/run"
cd "$work"
env -u QTWEBENGINE_DISABLE_SANDBOX -u QT_QPA_PLATFORM -u QTWEBENGINE_CHROMIUM_FLAGS \
  HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config" XDG_DATA_HOME="$work/home/.local/share" \
  XDG_CACHE_HOME="$work/home/.cache" XDG_RUNTIME_DIR="$work/run" \
  timeout -k 5 120 xvfb-run -a -s "-screen 0 1024x768x24" "$work/app/postmaven" --report-startup > "$work/out" 2> "$work/err" \
  || fail "the program did not start and stop"
grep -q '^shown ' "$work/out" || fail "no main window"
notices=$(grep -c 'Running as root: the web page sandbox is off' "$work/err" || true)
[ "$notices" = 1 ] || fail "the sandbox notice was printed $notices times"
data=$work/home/.local/share/Postmaven
for f in htmltemp.txt messages.txt posts.txt posts2.txt sizes.txt; do
  [ -f "$data/$f" ] || fail "no $f in $data"
done
cat "$work/out"
echo "started as root under Xvfb: window shown, data files written"
