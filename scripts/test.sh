#!/usr/bin/env bash
# Installs what is missing, builds, and runs the whole test suite twice: as
# built normally, then built with AddressSanitizer and UndefinedBehaviorSanitizer.
# In between: the Debian packages are built, installed, used and removed
# (scripts/test-package.sh), SHA-256 is tested on its Qt fallback (a build
# without OpenSSL, the staging tests alone), and meanwhile the reply readers
# are fuzzed for a minute (libFuzzer, clang).
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh test
. scripts/build-env.sh

# Each part is headed with the time since the start, to keep an eye on CI's.
phase() { printf '=== %s (at %d:%02d)\n' "$1" $((SECONDS / 60)) $((SECONDS % 60)); }
build_and_test() {
    phase "build and test: $1"
    cmake --preset "$1" >/dev/null
    cmake --build --preset "$1" -j "$jobs"
    ctest --preset "$1" -j "$test_jobs"
}

build_and_test default

# The fuzzer keeps one core busy for a minute; the package test and the small
# no-openssl build run beside it, and its report follows theirs.
mkdir -p build
fuzz_log=build/fuzz.log
setsid bash scripts/fuzz.sh "${KESTREL_FUZZ_SECONDS:-60}" >"$fuzz_log" 2>&1 &
fuzz=$!
trap 'kill -- -"$fuzz" 2>/dev/null || true' EXIT

phase "the Debian packages"
bash scripts/test-package.sh build/default
build_and_test no-openssl
if grep -q KESTREL_SHA256_OPENSSL build/no-openssl/compile_commands.json; then
    echo "The no-openssl build still hashes with OpenSSL." >&2
    exit 1
fi

phase "fuzz the reply readers"
fuzz_status=0
wait "$fuzz" || fuzz_status=$?
trap - EXIT
cat "$fuzz_log"
[ "$fuzz_status" -eq 0 ] || exit "$fuzz_status"

build_and_test asan
phase "done"
