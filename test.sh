#!/usr/bin/env bash
# Installs what is missing, builds with AddressSanitizer and UndefinedBehaviorSanitizer, runs every test.
set -euo pipefail
cd "$(dirname "$0")"
source scripts/common.sh
zq_install_packages
zq_build build/test -DCMAKE_BUILD_TYPE=Debug "-DCMAKE_CXX_FLAGS_DEBUG=-g -O1" -DZQ_SANITIZE=ON -DZQ_BUILD_TESTS=ON -DZQ_BUILD_BENCH=ON
cd build/test
ctest --output-on-failure --parallel "$(nproc)" --timeout 600
