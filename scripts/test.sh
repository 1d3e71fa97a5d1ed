#!/usr/bin/env bash
# Installs what is missing, builds, and runs the whole test suite twice: as
# built normally, then built with AddressSanitizer and UndefinedBehaviorSanitizer.
# In between, the reply readers are fuzzed for a minute (libFuzzer, clang).
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh

jobs=$(nproc 2>/dev/null || echo 2)
build_and_test() {
    echo "=== build and test: $1"
    cmake --preset "$1" >/dev/null
    cmake --build --preset "$1" -j "$jobs"
    ctest --preset "$1" -j "$jobs"
}

build_and_test default
echo "=== fuzz the reply readers"
bash scripts/fuzz.sh "${KESTREL_FUZZ_SECONDS:-60}"
build_and_test asan
