#!/usr/bin/env bash
# Builds the fuzz target of the reply readers, the line assembler, the
# checksum list reader, the readers of signify keys and signatures, the
# site's policy and its revoked keys, and the rules of the production history
# with clang (preset "fuzz") and fuzzes it for a bounded time, starting from a
# copy of fuzz/corpus/. Exits non-zero when the fuzzer finds an input that
# breaks an invariant, crashes or hangs; the input is kept in
# <build>/findings/.
#
# Usage: scripts/fuzz.sh [seconds]        (default 60)
# KESTREL_FUZZ_BUILD_DIR overrides the build folder (default build/fuzz).
# The inputs found on the way stay in <build>/corpus-run/; to keep some, merge
# them into a fresh folder with -merge=1 and copy the result to fuzz/corpus/.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds="${1:-60}"
if ! [[ "$seconds" =~ ^[1-9][0-9]*$ ]]; then
    echo "usage: $0 [seconds]" >&2
    exit 2
fi
build="${KESTREL_FUZZ_BUILD_DIR:-build/fuzz}"

. scripts/build-env.sh
cmake --preset fuzz -B "$build" >/dev/null
cmake --build "$build" -j "$jobs" --target reply_fuzz reply_fuzz_replay

rm -rf "$build/corpus-run"
mkdir -p "$build/corpus-run" "$build/findings"
cp fuzz/corpus/* "$build/corpus-run/"

status=0
"$build/fuzz/reply_fuzz" "$build/corpus-run" \
    -max_total_time="$seconds" \
    -max_len=20000 \
    -timeout=10 \
    -artifact_prefix="$build/findings/" \
    -print_final_stats=1 || status=$?

if [ "$status" -ne 0 ]; then
    echo "reply_fuzz found a fault (exit $status); the input is in $build/findings/" >&2
    exit "$status"
fi
echo "reply_fuzz ran $seconds s without a finding."
