// What the process holds in memory, from its own view of its address space (under Wine
// the system's process counters read 0). Internal to platform/win32; the bench and the
// tests read it.
#pragma once

#include <cstdint>

namespace zylora::platform::win32 {

// The bytes of committed private memory: heaps, bitmaps, everything the process allocated.
std::uint64_t CommittedPrivateBytes();

}  // namespace zylora::platform::win32
