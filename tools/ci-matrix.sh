#!/usr/bin/env bash
# The builds CI runs after ./test, each in its own directory with the whole suite:
#   qt6   build-qt6: the same sources against Qt 6, warnings as errors, benches
#         included; its settings file test also writes and reads files through the
#         Qt 5.15 build in build/, so ./test must have built that first
#   asan  build-asan: Qt 5.15 with AddressSanitizer, LeakSanitizer and UBSan; no
#         benchmarks, whose figures mean nothing under the sanitizers
# usage: tools/ci-matrix.sh [qt6] [asan]     (no argument: both)
set -euo pipefail
cd "$(dirname "$0")/.."
source tools/setup.sh

flavours=("$@")
[ "${#flavours[@]}" -eq 0 ] && flavours=(qt6 asan)
for flavour in "${flavours[@]}"; do
    case "$flavour" in
        qt6|asan) ;;
        *) echo "usage: tools/ci-matrix.sh [qt6] [asan]" >&2; exit 2 ;;
    esac
done

halvorine_install_packages "${HALVORINE_PACKAGES[@]}" "${HALVORINE_MATRIX_PACKAGES[@]}"
jobs=$(nproc 2>/dev/null || echo 2)

for flavour in "${flavours[@]}"; do
    start=$SECONDS
    case "$flavour" in
        qt6)
            dir=build-qt6
            # Without batches, so that every source must compile on its own includes.
            halvorine_build "$dir" -DUSE_QT6=ON -DCMAKE_COMPILE_WARNING_AS_ERROR=ON -DHALVORINE_UNITY_BUILD=OFF \
                -DHALVORINE_PEER_BUILD="$PWD/build"
            # The benches are not in ./test's build; they must still compile.
            cmake --build "$dir" -j"$jobs" --target benches
            ;;
        asan)
            dir=build-asan
            halvorine_build "$dir" -DHALVORINE_SANITIZE=ON -DHALVORINE_BUILD_BENCH=OFF
            ;;
    esac
    ctest --test-dir "$dir" --output-on-failure -j"$jobs"
    echo "ci-matrix: $flavour built and tested in $((SECONDS - start)) s"
done
