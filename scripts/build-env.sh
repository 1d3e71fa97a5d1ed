# shellcheck shell=bash disable=SC2034
# Sourced by the scripts that build. The presets compile through ccache, which
# keeps its results between builds and between clones: paths inside the clone
# are hashed relative to it, and the build folder's own path is left out of the
# hash (debug information then names the folder of the first build).
export CCACHE_BASEDIR="${CCACHE_BASEDIR:-$PWD}"
export CCACHE_NOHASHDIR="${CCACHE_NOHASHDIR:-true}"
jobs=$(nproc 2>/dev/null || echo 2)
# The tests mostly wait for simulated cameras and timers, not for the processor.
test_jobs=$((jobs * 2))
