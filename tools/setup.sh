#!/bin/sh
# Installs the Debian packages that building, testing and benchmarking the wrapper need, when
# missing: Wine for both builds (the shipped i686 programs run under its 32-bit half) and the
# rest. Safe to run again.
set -eu
packages="cmake make g++ libgtest-dev libgmock-dev
  g++-mingw-w64-i686 g++-mingw-w64-x86-64 msitools wixl
  python3 python3-pytest e2fsprogs locales clang libclang-rt-14-dev time
  osslsigncode openssl"
installed() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "install ok installed"; }
as_root=""
[ "$(id -u)" -eq 0 ] || as_root=sudo
apt_install() { DEBIAN_FRONTEND=noninteractive $as_root apt-get install -y -qq --no-install-recommends "$@"; }

# Wine first, and from the main suites alone: this mirror's i386 index of the security suite
# does not download, and 32-bit and 64-bit halves of a library must be of one version, so
# Wine's libraries must not come from the security suite on one side only. The 64-bit
# partners are named in the same install, or apt settles the skew by removing wine64.
if ! installed wine32:i386 || ! installed wine64 || ! installed wine; then
    echo "installing: Wine, 32-bit and 64-bit"
    $as_root dpkg --add-architecture i386
    work=$(mktemp -d)
    mkdir -p "$work/lists/partial"
    chmod -R a+rX "$work"
    uri=$(sed -n 's/^URIs:[[:space:]]*//p' /etc/apt/sources.list.d/debian.sources 2>/dev/null \
        | grep -v security | head -n 1)
    for suite in bookworm bookworm-updates; do
        echo "deb [signed-by=/usr/share/keyrings/debian-archive-keyring.gpg] ${uri:-http://deb.debian.org/debian} $suite main"
    done >"$work/sources.list"
    main_only="-o Dir::Etc::SourceList=$work/sources.list -o Dir::Etc::SourceParts=/nonexistent -o Dir::State::Lists=$work/lists"
    $as_root apt-get $main_only update -qq
    apt_install $main_only wine wine64 libwine libwine:i386 wine32:i386
    rm -rf "$work"
fi

missing=""
for p in $packages; do installed "$p" || missing="$missing $p"; done
if [ -n "$missing" ]; then
    echo "installing:$missing"
    # With i386 added, the broken index makes the update exit 100 although it fetched the rest.
    $as_root apt-get update -qq || echo "apt-get update: an index failed to download; going on with the others"
    apt_install $missing
fi

# Wine takes the user's language from the Unix locale, so the language tests need these.
for l in de_DE ja_JP ru_RU; do
    locale -a | grep -qx "$l.utf8" || $as_root localedef -i $l -f UTF-8 $l.UTF-8
done
