#!/bin/sh
# Installs the build into a temporary prefix, checks the installed files and
# their metadata, and starts the installed program from there: it must find
# its help file in share/postmaven and keep its data under XDG_DATA_HOME.
set -eu
build=$1
id=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
prefix=$work/prefix
fail() { echo "FAIL: $*"; exit 1; }

cmake --install "$build" --prefix "$prefix" > "$work/install.log" || { cat "$work/install.log"; fail "install"; }

for f in bin/postmaven share/postmaven/Help.rtf share/applications/$id.desktop \
         share/metainfo/$id.metainfo.xml share/icons/hicolor/scalable/apps/$id.svg share/man/man1/postmaven.1.gz \
         share/doc/postmaven/copyright share/doc/postmaven/changelog.gz; do
  [ -s "$prefix/$f" ] || fail "missing $f"
done
[ -x "$prefix/bin/postmaven" ] || fail "bin/postmaven is not executable"
for size in 16 32 48 64 128 256; do
  png=$prefix/share/icons/hicolor/${size}x${size}/apps/$id.png
  [ -s "$png" ] || fail "missing icon $png"
  # PNG signature, then the IHDR chunk: width and height as 32-bit numbers.
  head=$(od -An -tx1 -N24 "$png" | tr -d ' \n')
  want=$(printf '89504e470d0a1a0a0000000d49484452%08x%08x' "$size" "$size")
  [ "$head" = "$want" ] || fail "$png is no ${size}x${size} PNG"
done
grep -q '<svg' "$prefix/share/icons/hicolor/scalable/apps/$id.svg" || fail "the scalable icon is no SVG"

desktop-file-validate "$prefix/share/applications/$id.desktop" || fail "desktop-file-validate"
grep -qx "Icon=$id" "$prefix/share/applications/$id.desktop" || fail "the desktop entry names another icon"
appstreamcli validate --no-net "$prefix/share/metainfo/$id.metainfo.xml" || fail "appstreamcli validate"
man -l --warnings "$prefix/share/man/man1/postmaven.1.gz" > /dev/null 2> "$work/man.err" || true
[ ! -s "$work/man.err" ] || { cat "$work/man.err"; fail "man page warnings"; }

[ "$("$prefix/bin/postmaven" --version)" = "Postmaven 2.03" ] || fail "--version"

# postmaven-cli, its man page and the user units that run it every hour.
for f in bin/postmaven-cli share/man/man1/postmaven-cli.1.gz lib/systemd/user/postmaven-check.service \
         lib/systemd/user/postmaven-check.timer; do
  [ -s "$prefix/$f" ] || fail "missing $f"
done
[ "$("$prefix/bin/postmaven-cli" --version)" = "postmaven-cli 2.03" ] || fail "postmaven-cli --version"
man -l --warnings "$prefix/share/man/man1/postmaven-cli.1.gz" > /dev/null 2> "$work/man.err" || true
[ ! -s "$work/man.err" ] || { cat "$work/man.err"; fail "postmaven-cli man page warnings"; }
grep -qx "ExecStart=$prefix/bin/postmaven-cli check --notify" "$prefix/lib/systemd/user/postmaven-check.service" \
  || fail "the installed service does not start the installed postmaven-cli"
if command -v systemd-analyze > /dev/null; then
  # Only the documentation link may be missing: man pages are not looked up under the prefix.
  systemd-analyze verify "$prefix"/lib/systemd/user/postmaven-check.* 2>&1 | grep -v "Command 'man " \
    > "$work/units.err" || true
  [ ! -s "$work/units.err" ] || { cat "$work/units.err"; fail "systemd-analyze verify"; }
fi
"$prefix/bin/postmaven" --help | grep -q -- '--data-dir <dir>' || fail "--help"

# A home of its own; the probe makes the program stop once its window shows.
export HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config" XDG_DATA_HOME="$work/home/.local/share" \
       XDG_CACHE_HOME="$work/home/.cache" XDG_RUNTIME_DIR="$work/run"
mkdir -p "$HOME" && mkdir -m 700 "$XDG_RUNTIME_DIR"
cd "$work"
QT_QPA_PLATFORM=offscreen timeout -k 5 120 "$prefix/bin/postmaven" --report-startup > "$work/out" 2> "$work/err" \
  || { cat "$work/out" "$work/err"; fail "the installed program did not start and stop"; }
cat "$work/out"
data=$XDG_DATA_HOME/Postmaven
grep -q '^shown ' "$work/out" || fail "no main window"
grep -qx "data $data" "$work/out" || fail "data folder is not $data"
grep -qx "help $prefix/share/postmaven/Help.rtf" "$work/out" || fail "the Help window did not open with the installed Help.rtf"
for f in htmltemp.txt messages.txt posts.txt posts2.txt sizes.txt; do
  [ -f "$data/$f" ] || fail "no $f in $data"
  [ ! -e "$prefix/bin/$f" ] || fail "$f was written beside the program"
done
[ "$(stat -c %a "$data")" = 700 ] || fail "$data is not for its owner only"
echo "installed into $prefix: all files present, metadata valid, program started"
