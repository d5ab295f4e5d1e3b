#!/usr/bin/env bash
# Installs what is missing, then builds and runs every test twice: with AddressSanitizer and
# UndefinedBehaviorSanitizer, and optimized (-O3, the build run.sh starts); then builds the test
# programs that start threads with ThreadSanitizer and runs them (the thread check).
#   ./test.sh              all three builds, one after the other
#   ./test.sh --sanitize   the sanitizer build alone
#   ./test.sh --optimized  the optimized build alone
#   ./test.sh --thread     the thread check alone
set -euo pipefail
cd "$(dirname "$0")"
source scripts/common.sh

builds=(sanitize optimized thread)
case "${1:-}" in
    "") ;;
    --sanitize) builds=(sanitize) ;;
    --optimized) builds=(optimized) ;;
    --thread) builds=(thread) ;;
    *) echo "usage: $0 [--sanitize | --optimized | --thread]" >&2; exit 2 ;;
esac

zq_install_packages
failed=()
failedDirs=()
for build in "${builds[@]}"; do
    # The thread check builds and runs only the programs that start threads (scripts/common.sh).
    tests=()
    case "$build" in
        sanitize) dir="$ZQ_SANITIZE_DIR" ;;
        optimized) dir="$ZQ_OPTIMIZED_DIR" ;;
        thread) dir="$ZQ_THREAD_DIR"; tests=(-L "$(zq_thread_labels)") ;;
    esac
    echo "== $build build ($dir)"
    case "$build" in
        sanitize) zq_build "$dir" "${ZQ_SANITIZE_OPTIONS[@]}" ;;
        optimized) zq_build "$dir" "${ZQ_OPTIMIZED_OPTIONS[@]}" ;;
        thread) zq_build_thread_check "$dir" ;;
    esac
    # Every build is tested even when an earlier one fails: a fault seen in only one of them
    # says much about its cause.
    if ! (cd "$dir" && ctest "${tests[@]}" --output-on-failure --parallel "$(nproc)" --timeout 600); then
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
