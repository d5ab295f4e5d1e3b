# Shared by run.sh and test.sh: install what is missing, then configure and build.

ZQ_PACKAGES=(
    cmake ninja-build ccache g++ pkg-config
    qtbase5-dev qttools5-dev qttools5-dev-tools
    libboost-dev libboost-thread-dev libboost-date-time-dev libblitz0-dev
    libgtest-dev libgmock-dev libbenchmark-dev
    xvfb libjpeg-turbo-progs
)

# The two builds. The optimized one is what run.sh starts and what CI tests besides the
# sanitizer build: one folder and one set of options, so the program a user starts is made of
# the very objects the tests ran against (run.sh builds only the program's own target in it).
# Benchmarks are built in the optimized build only: timed under the sanitizers they measure
# the sanitizers, and leaving them out keeps a first CI run on two cores well inside its time.
ZQ_SANITIZE_DIR=build/test
ZQ_SANITIZE_OPTIONS=(-DCMAKE_BUILD_TYPE=Debug "-DCMAKE_CXX_FLAGS_DEBUG=-g -O1" -DZQ_SANITIZE=ON
                     -DZQ_BUILD_TESTS=ON -DZQ_BUILD_BENCH=OFF)
ZQ_OPTIMIZED_DIR=build/release
ZQ_OPTIMIZED_OPTIONS=(-DCMAKE_BUILD_TYPE=Release -DZQ_SANITIZE=OFF -DZQ_BUILD_TESTS=ON
                      -DZQ_BUILD_BENCH=ON)

zq_install_packages() {
    local missing=()
    local package
    for package in "${ZQ_PACKAGES[@]}"; do
        if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
            missing+=("$package")
        fi
    done
    if [ ${#missing[@]} -eq 0 ]; then
        return 0
    fi
    echo "Installing: ${missing[*]}"
    local sudo=()
    if [ "$(id -u)" -ne 0 ]; then
        sudo=(sudo)
    fi
    # Set on the command itself: sudo starts apt-get with a clean environment, and a package's
    # configuration questions must not wait for an answer.
    "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -qq
    "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive \
        apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

# zq_configure BUILD_DIR [cmake options...]: configures once, afterwards only applies the options.
zq_configure() {
    local dir="$1"
    shift
    # Paths below the clone are hashed relative to it and the working folder is left out of
    # the hash, so a clone in another folder (CI's) hits the cache that this one filled.
    export CCACHE_BASEDIR="${CCACHE_BASEDIR:-$PWD}"
    export CCACHE_NOHASHDIR="${CCACHE_NOHASHDIR:-1}"
    if [ ! -f "$dir/build.ninja" ]; then
        cmake -S . -B "$dir" -G Ninja "$@"
    else
        cmake "$dir" "$@" >/dev/null
    fi
}

# zq_build BUILD_DIR [cmake options...]: configures, then builds everything incrementally.
zq_build() {
    zq_configure "$@"
    cmake --build "$1" --parallel "$(nproc)"
}

# The thread check: the test programs that start threads of their own (the engine's worker
# pools, the engine command thread, the window driving it, the log written from several threads
# and the quick session writer's encoders), built with ThreadSanitizer, and the probe whose
# planted race the check must report. Only these are built: the other tests start no threads,
# and a third build of the whole suite would cost CI's two cores more time than the check needs.
ZQ_THREAD_DIR=build/tsan
ZQ_THREAD_OPTIONS=(-DCMAKE_BUILD_TYPE=Debug "-DCMAKE_CXX_FLAGS_DEBUG=-g -O1" -DZQ_TSAN=ON
                   -DZQ_SANITIZE=OFF -DZQ_BUILD_TESTS=ON -DZQ_BUILD_BENCH=OFF)
ZQ_TSAN_TESTS=(
    engine_matting_test engine_colour_workers_test engine_colour_classes_test
    engine_segmentation_test engine_analysis_test engine_watershed_test
    masking_thread_test masking_session_stream_test common_log_test common_pooled_work_test
    shell_window_test shell_window_flow_test zq_race_probe
)

# zq_thread_labels: the ctest label expression that picks the thread check's tests (each
# test's label is its program's name).
zq_thread_labels() {
    echo "^($(IFS='|'; echo "${ZQ_TSAN_TESTS[*]}"))\$"
}

# zq_build_thread_check [BUILD_DIR]: configures BUILD_DIR (build/tsan unless given) for the
# thread check and builds its programs.
zq_build_thread_check() {
    local dir="${1:-$ZQ_THREAD_DIR}"
    zq_configure "$dir" "${ZQ_THREAD_OPTIONS[@]}"
    cmake --build "$dir" --parallel "$(nproc)" --target "${ZQ_TSAN_TESTS[@]}"
}

# zq_thread_check [BUILD_DIR]: builds the thread check's programs and runs their tests; a race
# report fails the test that shows it.
zq_thread_check() {
    local dir="${1:-$ZQ_THREAD_DIR}"
    zq_build_thread_check "$dir" || return
    (cd "$dir" && ctest -L "$(zq_thread_labels)" --output-on-failure --parallel "$(nproc)" \
        --timeout 600)
}

# zq_report_failures BUILD_DIR: names the tests that failed in the build's last ctest run and
# repeats the end of each one's output, so that a long log's last lines say what went wrong.
zq_report_failures() {
    local dir="$1"
    local list="$dir/Testing/Temporary/LastTestsFailed.log"
    local log="$dir/Testing/Temporary/LastTest.log"
    [ -f "$list" ] || return 0
    echo "Failed in $dir:"
    sed 's/^[0-9]*:/  /' "$list"
    [ -f "$log" ] || return 0
    awk -v failedList="$list" '
        BEGIN {
            while ((getline line < failedList) > 0) {
                sub(/^[0-9]+:/, "", line)
                failed[line] = 1
            }
        }
        /^[0-9]+\/[0-9]+ Test: / {
            name = $0
            sub(/^[0-9]+\/[0-9]+ Test: /, "", name)
            keep = (name in failed)
            count = 0
            next
        }
        keep && /^<end of output>$/ {
            print "---- the last lines of " name
            first = count > 60 ? count - 60 : 0
            for (i = first; i < count; ++i)
                print kept[i]
            keep = 0
            next
        }
        keep { kept[count++] = $0 }
    ' "$log"
}
