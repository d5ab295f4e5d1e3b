#!/usr/bin/env bash
# Installs what is missing, builds and starts Zolquist, handing it any arguments given here.
set -euo pipefail
cd "$(dirname "$0")"
source scripts/common.sh
zq_install_packages
zq_build build/run -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZQ_SANITIZE=OFF -DZQ_BUILD_TESTS=OFF -DZQ_BUILD_BENCH=OFF
exec build/run/zolquist "$@"
