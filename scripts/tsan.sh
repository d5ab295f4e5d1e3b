#!/usr/bin/env bash
# Builds the tests that start threads with ThreadSanitizer (build/tsan) and runs them.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/common.sh
zq_install_packages
zq_thread_check build/tsan
