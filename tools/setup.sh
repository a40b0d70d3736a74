#!/bin/sh
# Installs the Debian packages that building, testing and benchmarking the wrapper need, when missing.
set -eu
packages="cmake make g++ libgtest-dev libgmock-dev
  g++-mingw-w64-i686 g++-mingw-w64-x86-64 wine wine64 msitools wixl
  python3 python3-pytest e2fsprogs locales clang libclang-rt-14-dev time
  osslsigncode openssl"
missing=""
for p in $packages; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
done
as_root=""
[ "$(id -u)" -eq 0 ] || as_root=sudo
if [ -n "$missing" ]; then
    echo "installing:$missing"
    $as_root apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $as_root apt-get install -y -qq --no-install-recommends $missing
fi
# Wine takes the user's language from the Unix locale, so the language tests need these.
for l in de_DE ja_JP ru_RU; do
    locale -a | grep -qx "$l.utf8" || $as_root localedef -i $l -f UTF-8 $l.UTF-8
done
