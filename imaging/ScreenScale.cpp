#include "imaging/ScreenScale.h"

#include <algorithm>

#include "imaging/Lanczos.h"
#include "platform/Dpi.h"

namespace zylora::imaging {

Size SizeForDpi(Size size, int dpi) {
    return {std::max(1, platform::ScaledToDpi(size.width, dpi)), std::max(1, platform::ScaledToDpi(size.height, dpi))};
}

std::optional<DecodedPixels> PixelsForDpi(const PixelBuffer& from, bool opaque, int dpi) {
    if (from.width <= 0 || from.height <= 0) return std::nullopt;
    const int times = dpi > platform::BaseDpi && dpi % platform::BaseDpi == 0 ? dpi / platform::BaseDpi : 1;
    if (dpi > platform::BaseDpi && times == 1) return ResizeLanczos(from, opaque, SizeForDpi({from.width, from.height}, dpi));
    if (static_cast<long long>(from.width) * times > platform::MaxWindowExtent ||
        static_cast<long long>(from.height) * times > platform::MaxWindowExtent)
        return std::nullopt;
    std::optional<DecodedPixels> out = PixelsToFill(from.width * times, from.height * times);
    if (!out) return std::nullopt;
    out->opaque = opaque;
    PixelBuffer& to = out->pixels;
    for (int y = 0; y < from.height; ++y) {
        const std::uint32_t* row = from.pixels.data() + static_cast<std::size_t>(y) * from.width;
        std::uint32_t* first = to.pixels.data() + static_cast<std::size_t>(y) * times * to.width;
        for (int x = 0; x < from.width; ++x) std::fill_n(first + static_cast<std::size_t>(x) * times, times, row[x]);
        for (int copy = 1; copy < times; ++copy)
            std::copy_n(first, to.width, first + static_cast<std::size_t>(copy) * to.width);
    }
    return out;
}

}  // namespace zylora::imaging
