#!/usr/bin/env bash
# Installs what is missing, builds, starts the camera simulator on
# 127.0.0.1:5000 and opens the tool. Type 127.0.0.1 in the address field and
# press Connect.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh
cmake --preset default >/dev/null
cmake --build --preset default -j "$(nproc 2>/dev/null || echo 2)"

bin=build/default/src
log=$(mktemp -t kestrel-camera-sim.XXXXXX.log)
"$bin/sim/kestrel-camera-sim" --listen 127.0.0.1 --port 5000 >"$log" 2>&1 &
sim=$!
trap 'kill $sim 2>/dev/null || true' EXIT
sleep 0.3
if ! kill -0 $sim 2>/dev/null; then
    echo "The camera simulator did not start:" >&2
    cat "$log" >&2
    exit 1
fi
echo "Camera simulator listening on 127.0.0.1:5000 (its conversation: $log)"

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo
    echo "There is no display here, so the tool's window cannot open."
    echo "To run it on a virtual display:  xvfb-run -a bash scripts/run.sh"
    echo "On a desktop, run this command again from a terminal of the desktop session."
    exit 0
fi
echo "Opening Kestrel_FlashTool: type 127.0.0.1 and press Connect."
"$bin/app/Kestrel_FlashTool"
