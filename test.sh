#!/usr/bin/env bash
# Installs what is missing, then builds and runs every test twice: with AddressSanitizer and
# UndefinedBehaviorSanitizer, and optimized (-O3, the build run.sh starts).
#   ./test.sh              both builds, one after the other
#   ./test.sh --sanitize   the sanitizer build alone
#   ./test.sh --optimized  the optimized build alone
set -euo pipefail
cd "$(dirname "$0")"
source scripts/common.sh

builds=(sanitize optimized)
case "${1:-}" in
    "") ;;
    --sanitize) builds=(sanitize) ;;
    --optimized) builds=(optimized) ;;
    *) echo "usage: $0 [--sanitize | --optimized]" >&2; exit 2 ;;
esac

zq_install_packages
failed=()
failedDirs=()
for build in "${builds[@]}"; do
    if [ "$build" = sanitize ]; then
        dir="$ZQ_SANITIZE_DIR"; options=("${ZQ_SANITIZE_OPTIONS[@]}")
    else
        dir="$ZQ_OPTIMIZED_DIR"; options=("${ZQ_OPTIMIZED_OPTIONS[@]}")
    fi
    echo "== $build build ($dir)"
    zq_build "$dir" "${options[@]}"
    # Both builds are tested even when the first fails: a fault seen in only one of them says
    # much about its cause.
    if ! (cd "$dir" && ctest --output-on-failure --parallel "$(nproc)" --timeout 600); then
        failed+=("$build")
        failedDirs+=("$dir")
    fi
done
if [ ${#failed[@]} -ne 0 ]; then
    for dir in "${failedDirs[@]}"; do
        zq_report_failures "$dir"
    done
    echo "Tests failed in the ${failed[*]} build" >&2
    exit 1
fi
