#!/usr/bin/env bash
# Builds the Debian package from a configured build directory, checks it with
# lintian, installs it, checks that the menu entry starts the program, and
# removes it again, checking that nothing is left behind.
#   scripts/check-package.sh [BUILD_DIR]
set -euo pipefail
build=${1:-build}
cd "$(dirname "$0")/.."
sudo_cmd=""
[ "$(id -u)" -ne 0 ] && sudo_cmd="sudo"

# The package's layout: the same build, only the install rules change.
cmake -S . -B "$build" -DTKO_INSTALL_LAYOUT=system >/dev/null
cmake --build "$build" -j2 --target taskorbm taskorbit-cli lingua tko_compressed_docs
rm -f "$build"/taskorbit_*.deb
(cd "$build" && cpack -G DEB)
deb=$(ls "$build"/taskorbit_*.deb)
echo "== $deb"
dpkg-deb --info "$deb"

echo "== lintian"
# Errors fail the check; warnings are shown.
lintian --fail-on error --display-level '>=warning' "$deb"

if command -v desktop-file-validate >/dev/null; then
  dpkg-deb --fsys-tarfile "$deb" | tar -xO ./usr/share/applications/org.taskorbit.MultiUser.desktop \
    > "$build/check.desktop"
  desktop-file-validate "$build/check.desktop"
fi

echo "== install"
$sudo_cmd dpkg -i "$deb"
files=$(dpkg -L taskorbit)
for f in /usr/bin/taskorbm /usr/bin/taskorbit-cli /usr/libexec/taskorbit/liblingua.so \
         /usr/libexec/taskorbit/En_tkom.ltf /usr/share/applications/org.taskorbit.MultiUser.desktop \
         /usr/share/metainfo/org.taskorbit.MultiUser.metainfo.xml \
         /usr/share/icons/hicolor/scalable/apps/org.taskorbit.MultiUser.svg; do
  [ -e "$f" ] || { echo "missing after install: $f"; exit 1; }
done

echo "== start from the menu entry"
entry=/usr/share/applications/org.taskorbit.MultiUser.desktop
exec_line=$(sed -n 's/^Exec=//p' "$entry")
program=$(command -v "${exec_line%% *}") || { echo "the menu entry's program is not on PATH"; exit 1; }
# The program starts, finds its library and language files, and ends on
# --help without a display.
QT_QPA_PLATFORM=offscreen "$program" --help >/dev/null
# The command-line companion works from the installed layout too.
office=$(mktemp -d)
/usr/bin/taskorbit-cli init "$office/new office" >/dev/null
/usr/bin/taskorbit-cli check "$office/new office" >/dev/null
rm -rf "$office"

echo "== remove"
$sudo_cmd dpkg -r taskorbit
left=0
while IFS= read -r f; do
  [ -f "$f" ] || [ -L "$f" ] || continue
  echo "left after removal: $f"
  left=1
done <<<"$files"
[ -d /usr/libexec/taskorbit ] && { echo "left after removal: /usr/libexec/taskorbit"; left=1; }
exit $left
