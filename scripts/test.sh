#!/usr/bin/env bash
# Installs what is missing, builds, and runs the whole test suite twice: as
# built normally, then built with AddressSanitizer and UndefinedBehaviorSanitizer.
# In between: the Debian packages are built, installed, used and removed
# (scripts/test-package.sh), SHA-256 is tested on its Qt fallback (a build
# without OpenSSL, the staging tests alone), and the reply readers are fuzzed
# for a minute (libFuzzer, clang).
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh test
. scripts/build-env.sh

build_and_test() {
    echo "=== build and test: $1"
    cmake --preset "$1" >/dev/null
    cmake --build --preset "$1" -j "$jobs"
    ctest --preset "$1" -j "$jobs"
}

build_and_test default
echo "=== the Debian packages"
bash scripts/test-package.sh build/default
build_and_test no-openssl
if grep -q KESTREL_SHA256_OPENSSL build/no-openssl/compile_commands.json; then
    echo "The no-openssl build still hashes with OpenSSL." >&2
    exit 1
fi
echo "=== fuzz the reply readers"
bash scripts/fuzz.sh "${KESTREL_FUZZ_SECONDS:-60}"
build_and_test asan
