#!/usr/bin/env bash
# The program installed into a folder its user may only read (as the package
# installs it, or a shared program folder): it must still come up to the
# log-in window in English and in German. Run as root, the program is started
# as the user "nobody", since root may write anywhere.
#   installed_start_test.sh BIN_DIR
set -euo pipefail
bin=$1
work=$(mktemp -d)
trap 'chmod -R u+w "$work" 2>/dev/null; rm -rf "$work"' EXIT

program="$work/program"
mkdir "$program"
cp "$bin/taskorbm" "$bin/liblingua.so" "$bin"/*_tkom.ltf "$bin/Ling.nls" "$program/"
"$bin/taskorbit-cli" init "$work/office" >/dev/null

run_as=()
if [ "$(id -u)" -eq 0 ]; then
  chown -R root:root "$program"
  chown -R nobody "$work/office"
  run_as=(setpriv --reuid=nobody --regid=nogroup --clear-groups)
fi
chmod -R a-w "$program"
chmod a+rx "$work"

for language in En De; do
  home="$work/home-$language"
  mkdir -p "$home/.config/taskorbit"
  # The station's last language choice, kept in the user's own settings.
  printf '[Language]\nLast=%s_tkom.ltf;%s\n' "$language" \
    "$([ $language = De ] && echo 0407 || echo 0409)" >"$home/.config/taskorbit/TASKORBM.INI"
  [ "$(id -u)" -eq 0 ] && chown -R nobody "$home"
  out=$(env -i HOME="$home" XDG_RUNTIME_DIR="$home" QT_QPA_PLATFORM=offscreen \
        "${run_as[@]}" timeout 60 "$program/taskorbm" --check-start --data "$work/office" 2>&1) || {
    echo "$language: the program did not reach the log-in window:"; echo "$out"; exit 1; }
  grep -q "The log-in window was reached." <<<"$out" || { echo "$language: $out"; exit 1; }
done
echo "reached the log-in window from a read-only program folder"
