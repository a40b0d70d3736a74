#!/bin/sh
# Installs the Debian packages that building, testing and benchmarking the wrapper need, when
# missing: Wine for both builds (the shipped i686 programs run under its 32-bit half), qemu's
# user-mode emulator where the kernel refuses 32-bit programs, and the rest. Safe to run again:
# a machine that has everything is left as it is. It never removes a package (apt's
# --no-remove); the one change it may make to a package the machine had is the downgrade of a
# 64-bit library to the version that Wine's 32-bit half can have beside it, which it names.
set -eu
packages="cmake make g++ libgtest-dev libgmock-dev
  g++-mingw-w64-i686 g++-mingw-w64-x86-64 msitools wixl
  python3 python3-pytest e2fsprogs locales clang libclang-rt-14-dev time
  osslsigncode openssl"
wine_packages="wine wine64 libwine libwine:i386 wine32:i386"
supported="Debian 12 (bookworm)"
installed() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "install ok installed"; }
missing_of() { for p in "$@"; do installed "$p" || printf ' %s' "$p"; done; }
as_root=""
[ "$(id -u)" -eq 0 ] || as_root=sudo
apt_install() { DEBIAN_FRONTEND=noninteractive $as_root apt-get install -y -qq --no-install-recommends --no-remove "$@"; }

# A kernel booted without 32-bit support refuses the 32-bit loader's format; the tests then run
# the shipped programs under qemu's user-mode emulator.
refuses_32_bit() { /usr/lib/wine/wine --version 2>&1 | grep -q "Exec format error"; }

release=$(. /etc/os-release && echo "${ID:-}:${VERSION_CODENAME:-}")
codename=${release#*:}

# The 64-bit halves of the libraries that Wine's 32-bit half needs, where the machine has them
# at a version newer than the lists passed in ($1: apt options) offer for i386: each becomes
# "name:amd64=<the i386 candidate>", so that both halves can be of one version. Only libraries
# whose halves must match (Multi-Arch: same); one the machine has older, apt raises by itself.
partners() {
    apt-cache $1 depends --recurse --no-recommends --no-suggests --no-conflicts --no-breaks \
        --no-replaces --no-enhances wine32:i386 libwine:i386 2>/dev/null | sed -n 's/^\([^ <][^ ]*\):i386$/\1/p' | sort -u |
    while read -r name; do
        [ "$(dpkg-query -W -f='${Multi-Arch}' "$name:amd64" 2>/dev/null)" = same ] || continue
        have=$(dpkg-query -W -f='${Version}' "$name:amd64")
        want=$(apt-cache $1 policy "$name:i386" | sed -n 's/^ *Candidate: //p')
        case "$want" in ""|"(none)") continue ;; esac
        dpkg --compare-versions "$have" gt "$want" && echo "$name:amd64=$want"
    done
}

# Where an index of the machine's own lists fails to download (a mirror's security suite once
# did for i386), Wine comes from the release's main suites alone, the machine's own Debian
# mirror, with the 64-bit partners aligned in the same install: left out, apt settles the skew
# by removing wine64, or gives up on held broken packages.
install_wine_from_main_suites() {
    work=$(mktemp -d)
    mkdir -p "$work/lists/partial"
    chmod -R a+rX "$work"
    uri=$(sed -n 's/^URIs:[[:space:]]*//p' /etc/apt/sources.list.d/debian.sources 2>/dev/null \
        | grep -v security | head -n 1)
    for suite in "$codename" "$codename-updates"; do
        echo "deb [signed-by=/usr/share/keyrings/debian-archive-keyring.gpg] ${uri:-http://deb.debian.org/debian} $suite main"
    done >"$work/sources.list"
    main_only="-o Dir::Etc::SourceList=$work/sources.list -o Dir::Etc::SourceParts=/nonexistent -o Dir::State::Lists=$work/lists"
    $as_root apt-get $main_only update -qq
    aligned=$(partners "$main_only" | tr '\n' ' ')
    [ -z "$aligned" ] || echo "setup: aligning with the main suites' 32-bit half (downgrading): $aligned"
    if ! apt_install $main_only --allow-downgrades $wine_packages $aligned; then
        rm -rf "$work"
        echo "setup: the $codename main suites cannot give Wine's 32-bit half beside this machine's 64-bit" \
             "libraries without removing packages, which setup never does; run it again once every index downloads" >&2
        exit 1
    fi
    rm -rf "$work"
}

missing=$(missing_of $wine_packages $packages)
if [ -n "$missing" ]; then
    if [ "$release" != "debian:bookworm" ]; then
        echo "setup: made for $supported only; on this system ($(. /etc/os-release && echo "${PRETTY_NAME:-unknown}")) install by hand:$missing" >&2
        exit 1
    fi
    echo "installing:$missing"
    dpkg --print-foreign-architectures | grep -qx i386 || $as_root dpkg --add-architecture i386
    if $as_root apt-get update -qq; then
        apt_install $missing
    else
        echo "setup: an index failed to download; installing Wine from the $codename main suites alone"
        install_wine_from_main_suites
        missing=$(missing_of $packages)
        [ -z "$missing" ] || apt_install $missing
    fi
fi

if refuses_32_bit && ! installed qemu-user; then
    echo "installing: qemu-user (this kernel refuses 32-bit programs)"
    apt_install qemu-user || { $as_root apt-get update -qq || true; apt_install qemu-user; }
fi

# Wine takes the user's language from the Unix locale, so the language tests need these.
for l in de_DE ja_JP ru_RU; do
    locale -a | grep -qx "$l.utf8" || $as_root localedef -i $l -f UTF-8 $l.UTF-8
done
