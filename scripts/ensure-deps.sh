#!/usr/bin/env bash
# Makes sure the Debian packages that a make target needs are installed.
# Usage: scripts/ensure-deps.sh PACKAGE...
# As root on Debian the missing ones are installed with apt-get; elsewhere they are named and
# the script fails.
set -euo pipefail

missing=()
for pkg in "$@"; do
  if command -v dpkg-query >/dev/null 2>&1; then
    status=$(dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null || true)
    [[ "$status" == "install ok installed" ]] || missing+=("$pkg")
  fi
done
if ! command -v dpkg-query >/dev/null 2>&1; then
  for tool in cmake g++ ninja; do
    command -v "$tool" >/dev/null 2>&1 || missing+=("$tool")
  done
fi
[[ ${#missing[@]} -eq 0 ]] && exit 0

if command -v apt-get >/dev/null 2>&1 && [[ $(id -u) -eq 0 ]]; then
  echo "installing: ${missing[*]}" >&2
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq >&2
  apt-get install -y -qq --no-install-recommends "${missing[@]}" >&2
  exit 0
fi
echo "missing packages: ${missing[*]}" >&2
echo "install them (Debian: apt-get install ${missing[*]}) and run make again" >&2
exit 1
