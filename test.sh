#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test with ctest.
set -euo pipefail
cd "$(dirname "$0")"
source scripts/common.sh

vindle_install_missing
vindle_build
# The tests run beside a private, unlocked Secret Service.
scripts/with-secret-service.sh ctest --test-dir build --output-on-failure -j"$(nproc)" "$@"
