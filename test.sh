#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test with ctest.
#   ./test.sh [ctest options]   the suite
#   ./test.sh --sanitize        the suite again, built with AddressSanitizer and
#                               UndefinedBehaviorSanitizer (clang) in build-sanitize/
#   ./test.sh --fuzz SECONDS    every fuzz target of that build, SECONDS each
set -euo pipefail
cd "$(dirname "$0")"
source scripts/common.sh

mode=suite
case "${1:-}" in
--sanitize) mode=sanitize; shift ;;
--fuzz) mode=fuzz; seconds=${2:?--fuzz needs a number of seconds}; shift 2 ;;
esac

if [ "$mode" = suite ]; then
    vindle_install_missing
    vindle_build
    # The tests run beside a private, unlocked Secret Service.
    scripts/with-secret-service.sh ctest --test-dir build --output-on-failure -j"$(nproc)" "$@"
    exit
fi

# The first fault ends the program with its report. Reports that come from system libraries
# are listed, each with its reason, in the suppression files.
export ASAN_OPTIONS="detect_leaks=1:halt_on_error=1:detect_stack_use_after_return=1"
export LSAN_OPTIONS="suppressions=$PWD/scripts/sanitize/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1:suppressions=$PWD/scripts/sanitize/ubsan.supp"
VINDLE_PACKAGES+=(clang-14 libclang-rt-14-dev)
vindle_install_missing
CC=clang-14 CXX=clang++-14 vindle_build build-sanitize -DVINDLE_SANITIZE=ON -DVINDLE_FUZZ=ON -DVINDLE_BUILD_BENCH=OFF

if [ "$mode" = sanitize ]; then
    scripts/with-secret-service.sh ctest --test-dir build-sanitize --output-on-failure -j"$(nproc)" "$@"
else
    fuzz/run.sh build-sanitize/fuzz "$seconds"
fi
