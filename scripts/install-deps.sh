#!/usr/bin/env bash
# Installs the Debian 12 packages Quillory is built, run and tested with.
# Idempotent and quiet when everything is present; uses apt-get as root (through sudo otherwise).
set -euo pipefail

PACKAGES=(
    cmake ninja-build g++ pkg-config ccache git clang-format
    qt6-base-dev qt6-serialport-dev qt6-qpa-plugins qt6-image-formats-plugins
    libqscintilla2-qt6-dev libtinyxml2-dev libsimpleini-dev
    libcups2-dev cups cups-client
    libusb-1.0-0-dev libcli11-dev
    googletest libgtest-dev libgmock-dev
    fonts-noto-cjk qt6-translations-l10n
    clang-14 libclang-rt-14-dev llvm-14
    appstream desktop-file-utils dpkg-dev groff-base lintian binutils
    snmp snmpd
    ansible-core
    pngquant optipng
)

missing=()
for package in "${PACKAGES[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$package")
    fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

SUDO=()
if [ "$(id -u)" -ne 0 ]; then
    SUDO=(sudo)
fi
echo "Installing: ${missing[*]}"
"${SUDO[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${SUDO[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
