#!/usr/bin/env bash
# Installs the Debian packages this project needs, if any is missing.
#   install-deps.sh run    what scripts/run.sh needs: build the programs, run them
#   install-deps.sh test   all that scripts/test.sh needs besides (the default)
set -euo pipefail

# libqt6sql6-sqlite: Qt's SQLite driver, for the production history.
run_packages=(cmake ninja-build g++ ccache pkg-config
              qt6-base-dev qt6-base-dev-tools qt6-svg-dev libqt6sql6-sqlite libgl-dev libssl-dev
              libbenchmark-dev xvfb xauth)
# Fuzzing (clang), the manual pages, the Debian packages and their checks
# (dpkg-shlibdeps, lintian, the desktop entry and AppStream validators, the
# installed window's X properties), the syntax check of the Windows code, the
# private message bus of the keep-awake test, the check of kestrel-flash's JSON
# output against its schema, Ansible (with ansible-core) for the collection
# kestrel.flash and its tests, and signify-openbsd for the keys and signed
# checksum lists of the signature tests.
test_packages=(clang libclang-rt-14-dev help2man dpkg-dev file lintian desktop-file-utils
               appstream x11-utils g++-mingw-w64-x86-64-posix dbus-daemon python3-jsonschema
               ansible signify-openbsd)

case "${1:-test}" in
    run) packages=("${run_packages[@]}") ;;
    test) packages=("${run_packages[@]}" "${test_packages[@]}") ;;
    *) echo "usage: $0 [run|test]" >&2; exit 2 ;;
esac

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$p")
    fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
if [ "$(id -u)" -eq 0 ]; then
    sudo=()
elif command -v sudo >/dev/null; then
    sudo=(sudo)
else
    echo "These packages are missing and this user cannot install them: ${missing[*]}" >&2
    echo "Install them as root (apt-get install ${missing[*]}) and run this again." >&2
    exit 1
fi
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -q
"${sudo[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
