#!/usr/bin/env bash
# Installs, on Debian 12 as root, whatever the build and the tests need and this machine lacks:
# the mingw-w64 compilers for 32-bit and 64-bit Windows, CMake, the GoogleTest sources, 32-bit and
# 64-bit Wine, Xvfb, python3 and the two locales the tests run under (English and German). Does
# nothing when everything is there. 32-bit Wine installs also where the kernel cannot run it.
set -Eeuo pipefail
trap 'echo "install-deps: step failed (line $LINENO): $BASH_COMMAND" >&2' ERR

packages=(cmake make g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix googletest wine wine32:i386 wine64
    xvfb xauth python3 locales)
locales=(en_US.UTF-8 de_DE.UTF-8)

missing=()
for package in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$package")
    fi
done

if [ ${#missing[@]} -gt 0 ]; then
    echo "install-deps: installing ${missing[*]}"
    if ! dpkg --print-foreign-architectures | grep -qx i386; then
        dpkg --add-architecture i386
    fi
    apt-get update -qq
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

# Wine takes the user language from the process's locale, which must exist on the host.
available=$(locale -a 2>/dev/null | tr 'A-Z' 'a-z')
generate=0
for name in "${locales[@]}"; do
    short=$(echo "$name" | tr 'A-Z' 'a-z' | sed 's/utf-8/utf8/')
    if ! grep -qx "$short" <<<"$available"; then
        sed -i "s/^# *\(${name} UTF-8\)/\1/" /etc/locale.gen
        grep -q "^${name} UTF-8" /etc/locale.gen || echo "${name} UTF-8" >>/etc/locale.gen
        generate=1
    fi
done
if [ $generate = 1 ]; then
    echo "install-deps: generating locales"
    locale-gen >/dev/null
fi
