#!/usr/bin/env bash
# Runs every benchmark once against an already built tree, each bench binary under an
# X server of its own, then prints one table and writes BUILD/bench/results.json.
# Usage: bench/run-all.sh [BUILD_DIR]   (bench/run builds first, then calls this)
# SOAK_MINUTES (default 30) sets how long the soak bench plays its preview.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:-build}" && pwd)
bin=$build/bin
out=$build/bench
with_xvfb=$here/../tests/with-xvfb
mkdir -p "$out/logs"
rm -f "$out"/*.json

load_before=$(cat /proc/loadavg)
names=()

# run_bench NAME BINARY [ARGS...]: one bench binary; its libVLC and Qt chatter goes to
# a log, its one summary line to the terminal. A bench that fails leaves no result
# file and shows as "failed" in the table; the others still run. BENCH_TIMEOUT (s)
# bounds one binary's run, 900 unless set.
run_bench() {
    local name=$1
    shift
    names+=("$name")
    echo "bench: $name ..."
    if ! timeout "${BENCH_TIMEOUT:-900}" "$with_xvfb" "$bin/$1" "${@:2}" --out "$out" >"$out/logs/$name.out" 2>"$out/logs/$name.err"; then
        echo "bench: $name failed, see $out/logs/$name.err"
    fi
    cat "$out/logs/$name.out"
}

run_bench press bench_press --pairs 2000
run_bench show bench_show --switches 40 --presses 320
run_bench startup bench_startup --runs 10
run_bench preview bench_preview --runs 10
# Players of 1920x1080 side by side need a larger screen than the other benches.
# Capture → access unit in libavformat: where the glass-to-glass delay starts.
run_bench arrival bench_arrival --seconds 10
XVFB_SCREEN=2600x1200x24 run_bench glass bench_glass --seconds 15 --long-seconds 75
run_bench motion bench_motion --presses 20 --long-seconds 60
XVFB_SCREEN=2600x1200x24 run_bench cost bench_cost --seconds 60
for cameras in 10 100 1000 10000; do
    run_bench "saved-$cameras" bench_saved --cameras "$cameras" --saves 15
done
run_bench memory bench_memory --cycles 10000
run_bench gamepad bench_gamepad --pairs 200 --idle-seconds 10
# Last, as it is the long one: SOAK_MINUTES, and about 4 minutes of warm-up and cycles.
soak_minutes=${SOAK_MINUTES:-30}
BENCH_TIMEOUT=$((soak_minutes * 60 + 1800)) run_bench soak bench_soak --minutes "$soak_minutes" \
    --play-stop-cycles 1000 --snap-cycles 1000

echo
"$bin/bench_report" "$out" "$load_before" "${names[@]}"
