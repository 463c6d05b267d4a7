// Deferred positioning of several windows in one step (BeginDeferWindowPos ..
// EndDeferWindowPos). Internal to platform/win32.
#pragma once

#include "platform/win32/Win32Api.h"

#include <memory>
#include <vector>

#include "platform/Platform.h"

namespace zylora::platform::win32 {

// The SetWindowPos flags of a batch entry. Positioning never activates a window.
UINT SetWindowPosFlags(unsigned positionFlags);

std::unique_ptr<PositionBatch> NewPositionBatch(int windowCount);

}  // namespace zylora::platform::win32
