#!/usr/bin/env bash
# The main job: installs what is missing, builds, starts the camera simulator
# on 127.0.0.1:5000, stages demo firmware files onto a stand-in USB stick,
# updates the simulated camera with kestrel-flash (live progress, then the
# simulated power cycle and the check of the new version), and finally opens
# the window when there is a display.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh run
. scripts/build-env.sh
cmake --preset default >/dev/null
# The three programs alone; scripts/test.sh builds the tests and benchmarks.
cmake --build --preset default -j "$jobs" --target programs

bin=build/default/src
demo=$(mktemp -d -t kestrel-demo.XXXXXX)
sim_log="$demo/camera-sim.log"
sim=
cleanup() {
    if [ -n "$sim" ]; then kill "$sim" 2>/dev/null || true; fi
}
trap cleanup EXIT

# The simulated camera: a shortened run (erase 6 s, program 9 s) and an
# operator who power-cycles it 2 s after the run has ended.
"$bin/sim/kestrel-camera-sim" --listen 127.0.0.1 --port 5000 \
    --erase-seconds 6 --program-seconds 9 --linger-seconds 2 \
    --power-cycle-after 2000 --power-off-ms 3000 >"$sim_log" 2>&1 &
sim=$!
for _ in $(seq 50); do
    grep -q "listening on" "$sim_log" 2>/dev/null && break
    kill -0 "$sim" 2>/dev/null || break
    sleep 0.1
done
if ! grep -q "listening on" "$sim_log" 2>/dev/null; then
    echo "The camera simulator did not start (is port 5000 taken?):" >&2
    cat "$sim_log" >&2
    exit 1
fi
echo "== Camera simulator listening on 127.0.0.1:5000 (its conversation: $sim_log)"
# The demo's production history, kept apart from this machine's own.
export KESTREL_FLASH_HISTORY="$demo/history.sqlite"

echo
echo "== Staging demo firmware files onto a stand-in USB stick ($demo/usb-stick)"
mkdir -p "$demo/usb-stick"
head -c 3000000 /dev/urandom >"$demo/kestrel_vx340_2_6.rbf"
head -c 1500000 /dev/urandom >"$demo/vx_server_3_9_0"
"$bin/cli/kestrel-flash" stage --hw "$demo/kestrel_vx340_2_6.rbf" \
    --sw "$demo/vx_server_3_9_0" "$demo/usb-stick"

echo
echo "== Updating the camera at 127.0.0.1:5000, then waiting for its power cycle"
"$bin/cli/kestrel-flash" update --confirm-reboot --report "$demo/production-record.tsv" \
    127.0.0.1:5000
echo
echo "== Production record ($demo/production-record.tsv):"
cat "$demo/production-record.tsv"
echo
echo "== Production history ($KESTREL_FLASH_HISTORY):"
"$bin/cli/kestrel-flash" history

echo
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "There is no display here, so the window does not open."
    echo "To see it on a virtual display:  xvfb-run -a bash scripts/run.sh"
    exit 0
fi
echo "== Opening Kestrel_FlashTool: type 127.0.0.1 and press Connect (close it to end)."
"$bin/app/Kestrel_FlashTool"
