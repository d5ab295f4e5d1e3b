#!/usr/bin/env bash
# Installs what is missing, builds and starts Zolquist, handing it any arguments given here.
# The build is test.sh's optimized one (same folder, same options); only the program is built.
set -euo pipefail
cd "$(dirname "$0")"
source scripts/common.sh
zq_install_packages
zq_configure "$ZQ_OPTIMIZED_DIR" "${ZQ_OPTIMIZED_OPTIONS[@]}"
cmake --build "$ZQ_OPTIMIZED_DIR" --parallel "$(nproc)" --target zolquist
exec "$ZQ_OPTIMIZED_DIR/zolquist" "$@"
