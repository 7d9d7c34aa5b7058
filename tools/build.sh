#!/usr/bin/env bash
# Builds the Windows program and test tools (build/win) and the native unit
# tests (build/native).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

cmake --preset windows >/dev/null
cmake --build --preset windows -j"$(nproc)"

cmake --preset native >/dev/null
cmake --build --preset native -j"$(nproc)"
