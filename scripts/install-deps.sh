#!/bin/sh
# Installs the Debian packages the build and the tests need, when any is missing.
set -e
PACKAGES="cmake ninja-build g++ make pkg-config libzip-dev zlib1g-dev zip unzip libgtest-dev libbenchmark-dev
 qt6-base-dev fonts-dejavu-core fonts-ipafont-gothic cups cups-client libcups2-dev libsnmp-dev snmpd snmp
 gcc-mingw-w64-x86-64 binutils-mingw-w64-x86-64 libz-mingw-w64-dev wine wine64 clang libclang-rt-14-dev python3
 qt6-translations-l10n librsvg2-bin dpkg-dev lintian appstream desktop-file-utils shared-mime-info
 osslsigncode openssl"
missing=""
for p in $PACKAGES; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
done
[ -z "$missing" ] && exit 0
if [ "$(id -u)" -ne 0 ]; then
    echo "Missing Debian packages:$missing" >&2
    echo "Run 'sudo make deps' or install them with apt-get." >&2
    exit 1
fi
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
apt-get install -y -qq --no-install-recommends $missing
