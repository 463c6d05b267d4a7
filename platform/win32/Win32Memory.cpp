#include "platform/win32/Win32Memory.h"

#include "platform/win32/Win32Api.h"

namespace zylora::platform::win32 {

std::uint64_t CommittedPrivateBytes() {
    std::uint64_t total = 0;
    MEMORY_BASIC_INFORMATION region{};
    for (auto* at = static_cast<unsigned char*>(nullptr);
         ::VirtualQuery(at, &region, sizeof region) == sizeof region;) {
        if (region.State == MEM_COMMIT && region.Type == MEM_PRIVATE) total += region.RegionSize;
        auto* next = static_cast<unsigned char*>(region.BaseAddress) + region.RegionSize;
        if (next <= at) break;  // the top of the address space
        at = next;
    }
    return total;
}

}  // namespace zylora::platform::win32
