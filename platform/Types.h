// Small value types shared by the logic and the platform.
#pragma once

#include <cstdint>

namespace zylora::platform {

struct Point {
    int x = 0;
    int y = 0;
    friend bool operator==(const Point&, const Point&) = default;
};

struct Size {
    int width = 0;
    int height = 0;
    friend bool operator==(const Size&, const Size&) = default;
};

// Left, top, width, height: sizes may be 0 or negative (drags apply no minimum).
struct Rect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    friend bool operator==(const Rect&, const Rect&) = default;
};

struct RectF {
    float left = 0;
    float top = 0;
    float width = 0;
    float height = 0;
    friend bool operator==(const RectF&, const RectF&) = default;
};

// The largest width or height a window (or anything made to fill one) is given; the X server
// under Wine keeps 16-bit geometry.
constexpr int MaxWindowExtent = 32767;

// Sums of window coordinates and skin values, which may be absurd, kept inside int; the
// window layer clamps what it can't show.
constexpr int SaturatingSum(long long a, long long b, long long c = 0) {
    const long long sum = a + b + c;
    return sum > INT32_MAX ? INT32_MAX : sum < INT32_MIN ? INT32_MIN : static_cast<int>(sum);
}

// Quarter turns clockwise and mirroring, numbered as the imaging library numbers them.
enum class RotateFlipType : int {
    Rotate90FlipNone = 1,
    Rotate180FlipNone = 2,
    Rotate270FlipNone = 3,
    RotateNoneFlipX = 4,
    Rotate90FlipX = 5,   // the picture's diagonal from top left to bottom right as its mirror
    Rotate180FlipX = 6,  // the same as mirroring top to bottom
    Rotate270FlipX = 7,
};

// 32-bit colour: alpha in bits 24-31, red 16-23, green 8-15, blue 0-7.
using Argb = std::uint32_t;

constexpr Argb MakeArgb(int a, int r, int g, int b) {
    return (Argb(a & 0xFF) << 24) | (Argb(r & 0xFF) << 16) | (Argb(g & 0xFF) << 8) | Argb(b & 0xFF);
}

}  // namespace zylora::platform
