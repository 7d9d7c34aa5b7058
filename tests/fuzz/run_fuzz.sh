#!/usr/bin/env bash
# Fuzzes what turns the registered uninstall value into a started program
# (uninstall_command_fuzzer.cpp beside this script) with libFuzzer,
# AddressSanitizer and UBSan, for SECONDS seconds. Installs clang and its
# libFuzzer when missing (Debian 12, as root). The corpus grows in
# build/fuzz/corpus from the seeds in tests/fuzz/corpus; an input that breaks
# a property is saved in build/fuzz/artifacts and the script fails. Such an
# input goes into tests/fuzz/corpus (ctest replays it) and, once fixed, into
# a unit test: TARVIC_FUZZ_DESCRIBE=1 build/native/tests/unit/fuzz_replay FILE
# prints its world as C++ literals.
# Usage: tests/fuzz/run_fuzz.sh SECONDS [libFuzzer options...], e.g. -fork=N
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
seconds=${1:?usage: run_fuzz.sh SECONDS [libFuzzer options...]}
shift

packages=(clang libclang-rt-14-dev cmake make libgtest-dev)
missing=()
for package in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' ||
    missing+=("$package")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "run_fuzz: installing ${missing[*]}"
  apt-get update -qq
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

build="$root/build/fuzz"
if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
    -DSANITIZERS=fuzzer-no-link,address,undefined -DFUZZ=ON >/dev/null
fi
cmake --build "$build" --target uninstall_command_fuzzer -j"$(nproc)" >/dev/null

mkdir -p "$build/corpus" "$build/artifacts"
cd "$build"
# New inputs go to the first folder; the seeds are read from the second.
exec ./tests/unit/uninstall_command_fuzzer "$build/corpus" "$root/tests/fuzz/corpus" \
  -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
  -artifact_prefix="$build/artifacts/" "$@"
