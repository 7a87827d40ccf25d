#!/usr/bin/env bash
# Installs the Debian packages the build needs, when they are missing.
set -euo pipefail
packages=(cmake g++ ninja-build qt6-base-dev libjpeg62-turbo-dev libgtest-dev libgmock-dev libbenchmark-dev xvfb xauth locales)

# One query for all of them; a package that is not installed (or not known) is missing.
installed=$(dpkg-query -W -f='${Package} ${db:Status-Abbrev}\n' "${packages[@]}" 2>/dev/null || true)
missing=()
for p in "${packages[@]}"; do
  grep -qx "$p ii " <<<"$installed" || missing+=("$p")
done
SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO=sudo
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  $SUDO apt-get update
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y --no-install-recommends "${missing[@]}"
fi

# The display-format test runs once under a German locale, whose decimal comma the C library would use.
if ! locale -a 2>/dev/null | grep -qix 'de_DE.utf8'; then
  $SUDO localedef -i de_DE -f UTF-8 de_DE.UTF-8 || echo "could not make the de_DE.UTF-8 locale; its test will be skipped"
fi
