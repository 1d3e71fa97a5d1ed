#!/usr/bin/env bash
# The Debian packages as an operator gets them: builds them from a finished
# build tree (CPack), checks them with lintian, installs them with apt-get, runs
# the installed kestrel-flash against the installed kestrel-camera-sim on a
# loopback port, starts the installed window on a virtual display, has Ansible
# find the installed collection and run its module against the installed
# simulator, removes the packages and checks that nothing of them is left in /usr.
#
# Usage: scripts/test-package.sh [BUILD_DIR]     (default build/default)
# Needs root (or sudo) for apt-get; the packages must not be installed already.
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(kestrel-flashtool kestrel-flash kestrel-camera-sim kestrel-flash-ansible)

# Runs inside xvfb-run: the installed window must map a top-level window
# titled Kestrel_FlashTool, of the class that the desktop entry names
# (StartupWMClass), that carries its icon, and stay up.
if [ "${1:-}" = "--window-on-display" ]; then
    XDG_RUNTIME_DIR=$(mktemp -d -t kestrel-runtime.XXXXXX)
    export XDG_RUNTIME_DIR
    /usr/bin/Kestrel_FlashTool &
    tool=$!
    window=
    for _ in $(seq 100); do
        window=$(xwininfo -root -tree |
                 awk '/"Kestrel_FlashTool": \("Kestrel_FlashTool" "Kestrel_FlashTool"\)/ { print $1; exit }')
        if [ -n "$window" ] && xwininfo -id "$window" | grep -q "Map State: IsViewable"; then
            break
        fi
        window=
        kill -0 "$tool" 2>/dev/null || break
        sleep 0.2
    done
    status=0
    if [ -z "$window" ]; then
        echo "The installed window did not come up." >&2
        status=1
    elif ! xprop -len 64 -id "$window" _NET_WM_ICON | grep -q "_NET_WM_ICON(CARDINAL)"; then
        echo "The installed window came up without its icon." >&2
        status=1
    elif ! kill -0 "$tool" 2>/dev/null; then
        echo "The installed window ended by itself." >&2
        status=1
    else
        echo "The installed window came up (X window $window) with its icon."
    fi
    kill "$tool" 2>/dev/null || true
    wait "$tool" 2>/dev/null || true
    rm -rf "$XDG_RUNTIME_DIR"
    exit "$status"
fi

build="${1:-build/default}"
if [ ! -f "$build/CPackConfig.cmake" ]; then
    echo "$build is not a configured build tree (no CPackConfig.cmake)." >&2
    exit 2
fi
if [ "$(id -u)" -eq 0 ]; then
    as_root=()
elif command -v sudo >/dev/null; then
    as_root=(sudo)
else
    echo "The package test installs packages with apt-get: run it as root or with sudo." >&2
    exit 1
fi
for p in "${packages[@]}"; do
    if dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed"; then
        echo "$p is installed on this machine; the package test would remove it." >&2
        echo "Remove it first (apt-get remove ${packages[*]})." >&2
        exit 1
    fi
done

out="$(cd "$build" && pwd)/packages"
work=$(mktemp -d -t kestrel-package.XXXXXX)
sim=
installed=no
apt=("${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get -y -q -o DPkg::Lock::Timeout=300)
cleanup() {
    if [ -n "$sim" ]; then kill "$sim" 2>/dev/null || true; fi
    if [ "$installed" = yes ]; then "${apt[@]}" purge "${packages[@]}" >/dev/null || true; fi
    rm -rf "$work"
}
trap cleanup EXIT

echo "== Building the packages into $out"
rm -rf "$out"
cpack -G DEB --config "$build/CPackConfig.cmake" -B "$out" >"$work/cpack.log" 2>&1 ||
    { cat "$work/cpack.log" >&2; exit 1; }
rm -rf "$out/_CPack_Packages"
debs=()
for p in "${packages[@]}"; do
    deb=$(find "$out" -maxdepth 1 -name "${p}_*.deb" -print -quit)
    [ -n "$deb" ] || { echo "No package $p was built." >&2; exit 1; }
    debs+=("$deb")
    echo "   $(basename "$deb"): $(dpkg-deb -f "$deb" Depends)"
done
# The history's SQLite driver is a Qt plugin: no library link shows it.
for deb in "${debs[@]:0:2}"; do
    dpkg-deb -f "$deb" Depends | grep -qw libqt6sql6-sqlite ||
        { echo "$(basename "$deb") does not depend on libqt6sql6-sqlite." >&2; exit 1; }
done

echo "== lintian"
lintian --fail-on error "${debs[@]}" 2> >(grep -v "running with root privileges" >&2)

echo "== Installing them with apt-get"
find /usr -xdev | sort >"$work/usr-before"
installed=yes
"${apt[@]}" install "${debs[@]}" >"$work/apt.log" 2>&1 || { cat "$work/apt.log" >&2; exit 1; }
for f in /usr/bin/Kestrel_FlashTool /usr/bin/kestrel-flash /usr/bin/kestrel-camera-sim \
         /usr/share/applications/org.kestrel.FlashTool.desktop \
         /usr/share/icons/hicolor/scalable/apps/org.kestrel.FlashTool.svg \
         /usr/share/metainfo/org.kestrel.FlashTool.metainfo.xml \
         /usr/share/man/man1/kestrel-flash.1.gz /usr/share/man/man1/kestrel-camera-sim.1.gz \
         /usr/share/kestrel-flash/kestrel-flash.schema.json \
         /usr/share/ansible/collections/ansible_collections/kestrel/flash/MANIFEST.json; do
    [ -e "$f" ] || { echo "Not installed: $f" >&2; exit 1; }
done

echo "== The installed kestrel-flash against the installed simulator"
: >"$work/sim.log" # there before the simulator's first line, for the reads below
/usr/bin/kestrel-camera-sim --port 0 --fast --power-cycle-after 200 --power-off-ms 500 \
    >>"$work/sim.log" 2>&1 &
sim=$!
port=
for _ in $(seq 100); do
    port=$(sed -n 's/.*listening on 127\.0\.0\.1 port \([0-9]*\).*/\1/p' "$work/sim.log")
    [ -n "$port" ] && break
    kill -0 "$sim" 2>/dev/null || break
    sleep 0.1
done
[ -n "$port" ] || { echo "The installed simulator did not start:" >&2; cat "$work/sim.log" >&2; exit 1; }
# The production history of these runs, away from the user's own.
export KESTREL_FLASH_HISTORY="$work/history.sqlite"
flash() { # flash OUT ARGS...: runs the installed kestrel-flash, its output into OUT
    local out=$1
    shift
    /usr/bin/kestrel-flash "$@" >"$out" 2>&1 ||
        { echo "kestrel-flash $* failed:" >&2; cat "$out" >&2; exit 1; }
}
expect() { # expect WHAT FILE: FILE holds the line WHAT
    grep -qxF -- "$1" "$2" || { echo "Missing \"$1\" in:" >&2; cat "$2" >&2; exit 1; }
}
flash "$work/info.out" info --plain "127.0.0.1:$port"
expect "127.0.0.1:$port: Camera Serial Number = 21040017" "$work/info.out"
flash "$work/update.out" update --plain --confirm-reboot "127.0.0.1:$port"
expect "127.0.0.1:$port: Power cycle the camera to load new firmware" "$work/update.out"
expect "127.0.0.1:$port: The camera restarted with the new hardware firmware: 1.2A.3F -> 1.2B.05." \
    "$work/update.out"
expect "Succeeded." "$work/update.out"
grep -F "127.0.0.1:$port: " "$work/update.out" | tail -n 2
# The update is on record, through the installed SQLite driver.
flash "$work/history.out" history --verify
grep -q "is intact: checked [0-9]* events" "$work/history.out" || { cat "$work/history.out" >&2; exit 1; }
# The camera now runs 1.2B.05: plan says so, in JSON of the installed schema.
flash "$work/plan.out" plan --json --target-hw-version 1.2b.05 "127.0.0.1:$port"
grep -qF '"action":"skip"' "$work/plan.out" || { cat "$work/plan.out" >&2; exit 1; }
/usr/bin/python3 tests/schema/check_json_lines.py /usr/share/kestrel-flash/kestrel-flash.schema.json \
    --lines <"$work/plan.out"

echo "== The installed Ansible collection"
export ANSIBLE_HOME="$work/ansible" ANSIBLE_NOCOLOR=1
ansible-doc kestrel.flash.camera_firmware >"$work/doc.out" 2>&1 ||
    { echo "ansible-doc does not find kestrel.flash.camera_firmware:" >&2; cat "$work/doc.out" >&2; exit 1; }
grep -q "^= target_hw_version" "$work/doc.out" ||
    { echo "ansible-doc shows no target_hw_version:" >&2; cat "$work/doc.out" >&2; exit 1; }
# The camera runs 1.2B.05 since the update above: nothing to do.
ansible localhost -m kestrel.flash.camera_firmware \
    -a "cameras=127.0.0.1:$port target_hw_version=1.2B.05" >"$work/ansible.out" 2>&1 ||
    { echo "kestrel.flash.camera_firmware failed:" >&2; cat "$work/ansible.out" >&2; exit 1; }
expect '    "changed": false,' "$work/ansible.out"
expect '            "result": "current",' "$work/ansible.out"
echo "   ansible-doc finds it; camera_firmware finds the camera current"

echo "== The installed window on a virtual display"
xvfb-run -a bash "$0" --window-on-display

echo "== Removing the packages"
"${apt[@]}" purge "${packages[@]}" >"$work/apt.log" 2>&1 || { cat "$work/apt.log" >&2; exit 1; }
installed=no
find /usr -xdev | sort >"$work/usr-after"
left=$(comm -13 "$work/usr-before" "$work/usr-after")
if [ -n "$left" ]; then
    echo "Left in /usr after the removal:" >&2
    echo "$left" >&2
    exit 1
fi
echo "The packages built, installed, worked and left nothing behind in /usr."
