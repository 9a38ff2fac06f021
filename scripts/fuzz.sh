#!/usr/bin/env bash
# Builds the libFuzzer targets (clang, AddressSanitizer + UndefinedBehaviorSanitizer) and runs each for
# FUZZ_SECONDS seconds (default 60), seeded with the files the test suite writes.
set -euo pipefail
cd "$(dirname "$0")/.."
secs=${FUZZ_SECONDS:-60}
scripts/install-deps.sh clang-14 libclang-rt-14-dev
cmake -S fuzz -B build/fuzz -G Ninja -DCMAKE_CXX_COMPILER=clang++-14
cmake --build build/fuzz

root=$PWD/build/fuzz
seeds=$root/seeds
rm -rf "$seeds"
mkdir -p "$seeds"/{all,wmf,text,numbers,picture,jpeg} "$root/artifacts"
QT_QPA_PLATFORM=offscreen QMQUERY_SEED_DIR="$seeds/all" QMQUERY_WMF_CORPUS="$seeds/wmf" \
    ctest --test-dir build/default >/dev/null || true
cp "$seeds"/all/*.txt data/*.txt "$seeds/text/" 2>/dev/null || true
for ext in bmp gif jpg ico; do cp "$seeds"/all/*."$ext" "$seeds/picture/" 2>/dev/null || true; done
cp data/相關圖片/* resources/viewer/startup.gif "$seeds/picture/"
cp "$seeds"/all/*.jpg "$seeds/jpeg/" 2>/dev/null || true
i=0
for n in "1" "30" "  -12.5abc" "+.5" "9999" "0.1" "1e5" "３" "-0" "123456789012345678"; do
    printf '%s' "$n" > "$seeds/numbers/$i"; i=$((i + 1))
done

export LSAN_OPTIONS="suppressions=$PWD/fuzz/lsan.supp"
export QT_QPA_PLATFORM=offscreen
run() {
    local target=$1; shift
    mkdir -p "$root/corpus/$target"
    echo "== $target for ${secs}s"
    "$root/$target" -max_total_time="$secs" -timeout=10 -max_len=65536 -print_final_stats=1 \
        -artifact_prefix="$root/artifacts/$target-" "$root/corpus/$target" "$@" 2>&1 |
        grep -E '^(#[0-9]+ +DONE|stat::number_of_executed_units|==[0-9]+==ERROR|SUMMARY|Done)' || true
}
run fuzz_datatext "$seeds/text"
run fuzz_questtext "$seeds/text"
run fuzz_numbers "$seeds/numbers"
run fuzz_picture "$seeds/picture"
run fuzz_jpegscans "$seeds/jpeg"
run fuzz_wmf "$seeds/wmf" fuzz/corpus/wmf
if ls "$root"/artifacts/* >/dev/null 2>&1; then
    echo "Findings in $root/artifacts:"; ls "$root/artifacts"; exit 1
fi
echo "No findings."
