// Limits applied to every rectangle handed to the window system. The logic applies no
// minimum to drags and may compute absurd sizes; the window system (and the X server under
// Wine, which keeps 16-bit geometry) must only ever see sane ones.
#pragma once

#include <algorithm>

#include "platform/Types.h"

namespace zylora::platform::win32 {

constexpr int MinWindowCoordinate = -16384;
constexpr int MaxWindowCoordinate = 16384;

inline int ClampExtent(int extent) { return std::clamp(extent, 0, MaxWindowExtent); }
inline int ClampCoordinate(int value) {
    return std::clamp(value, MinWindowCoordinate, MaxWindowCoordinate);
}
inline Rect ClampRect(Rect r) {
    return {ClampCoordinate(r.left), ClampCoordinate(r.top), ClampExtent(r.width),
            ClampExtent(r.height)};
}

}  // namespace zylora::platform::win32
