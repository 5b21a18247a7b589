#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test with ctest.
set -euo pipefail
cd "$(dirname "$0")"
source scripts/common.sh

vindle_install_missing
vindle_build
ctest --test-dir build --output-on-failure -j"$(nproc)" "$@"
