#!/usr/bin/env bash
# Installs the Debian packages that the tests need and that this machine lacks:
#
#   tools/install_deps.sh [package list]      (default: tools/test_packages.txt)
#
# Installs nothing, and does not run apt-get update, when every package is installed. Otherwise
# runs apt-get update and apt-get install, as root or through sudo -n (no password prompt); when
# neither is possible, names the missing packages on one line and exits with status 1.
set -euo pipefail
list=${1:-"$(dirname "$0")/test_packages.txt"}

packages=$(sed -e 's/#.*//' "$list" | xargs)
if ! command -v dpkg-query >/dev/null; then
  echo "install_deps: not a Debian system; install these packages or their equivalents:" \
       "$packages" >&2
  exit 0
fi

# One query for all: an unknown package gets no line, a removed one another status.
installed=$(dpkg-query -W -f='${Package} ${db:Status-Status}\n' $packages 2>/dev/null |
            sed -n 's/ installed$//p' || true)
missing=()
for package in $packages; do
  grep -qxF "$package" <<<"$installed" || missing+=("$package")
done
(( ${#missing[@]} == 0 )) && exit 0

if (( EUID == 0 )); then
  apt=(env DEBIAN_FRONTEND=noninteractive apt-get)
elif command -v sudo >/dev/null && sudo -n true 2>/dev/null; then
  apt=(sudo -n env DEBIAN_FRONTEND=noninteractive apt-get)
else
  echo "install_deps: missing packages: ${missing[*]} (install them as root:" \
       "apt-get install ${missing[*]})" >&2
  exit 1
fi
echo "install_deps: installing ${missing[*]}"
"${apt[@]}" update
"${apt[@]}" install -y --no-install-recommends "${missing[@]}"
