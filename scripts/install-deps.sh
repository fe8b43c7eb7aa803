#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the program need.
# Does nothing when they are all present already.
set -euo pipefail
packages=(
  build-essential cmake ninja-build pkg-config clang-format clang-tidy
  qt6-base-dev qt6-svg-dev libgl-dev qt6-translations-l10n
  libsqlite3-dev sqlite3 libsodium-dev libicu-dev libshp-dev libpq-dev
  libcurl4-openssl-dev libical-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  gettext
  python3-dbfread python3-icalendar
  python3-aiosmtpd radicale python3-caldav taskwarrior
  postgresql
  xvfb xauth
  poppler-utils
  dpkg-dev fakeroot lintian desktop-file-utils appstream
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
echo "Installing: ${missing[*]}"
sudo_cmd=""
[ "$(id -u)" -ne 0 ] && sudo_cmd="sudo"
export DEBIAN_FRONTEND=noninteractive
$sudo_cmd apt-get update -q
$sudo_cmd apt-get install -y -q --no-install-recommends "${missing[@]}"
