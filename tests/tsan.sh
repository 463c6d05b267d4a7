#!/bin/bash
# The picture pipeline's and the picture service's unit tests under ThreadSanitizer, in a
# native build of their own (build/tsan). Exits non-zero on a failed test or a data race.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="$root/build/tsan"

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZYLORA_SANITIZE=OFF -DZYLORA_TSAN=ON
cmake --build "$build" --target zylora_unit_tests -j2

suites=(PictureServiceTest PixelsTest DecodingTest ColourManagementTest ResampleTest LanczosTest
        JpegPreviewTest StbPixelsTest ImageHeaderTest)
filter="$(printf '%s.*:' "${suites[@]}")"
# A race fails the run at once, with both threads' stacks.
TSAN_OPTIONS="halt_on_error=1 exitcode=66 second_deadlock_stack=1 ${TSAN_OPTIONS:-}" \
  "$build/zylora_unit_tests" --gtest_filter="${filter%:}"
