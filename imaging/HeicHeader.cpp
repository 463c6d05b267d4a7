#include "imaging/HeicHeader.h"

#include "imaging/AvifContainer.h"

#include <algorithm>
#include <cstdint>

namespace zylora::imaging {

namespace {


std::uint32_t Big32(const std::string& s, std::size_t i) {
    std::uint32_t v = 0;
    for (std::size_t k = 0; k < 4; ++k) v = v << 8 | (i + k < s.size() ? static_cast<unsigned char>(s[i + k]) : 0u);
    return v;
}

bool IsHevcBrand(const std::string& brand) {
    static const char* const brands[] = {"heic", "heix", "heim", "heis", "hevc", "hevx", "hevm", "hevs"};
    return std::any_of(std::begin(brands), std::end(brands), [&](const char* b) { return brand == b; });
}

}  // namespace

bool IsHeic(const std::string& head) {
    if (head.size() < 16 || head.compare(4, 4, "ftyp") != 0) return false;
    // The major brand, then (after the minor version) the compatible ones, as far as the box
    // and the bytes at hand go.
    const std::size_t end = std::min<std::size_t>(head.size(), Big32(head, 0));
    if (IsHevcBrand(head.substr(8, 4))) return true;
    for (std::size_t at = 16; at + 4 <= end; at += 4)
        if (IsHevcBrand(head.substr(at, 4))) return true;
    return false;
}

std::optional<Size> DeclaredHeicSize(const ByteReader& read) {
    if (!IsHeic(read(0, 64))) return std::nullopt;
    // A HEIC's boxes are any HEIF's: its primary item's ispe, as the AVIF reader finds it.
    const std::optional<AvifLayout> layout = ReadHeifLayout(read, false);
    if (!layout || layout->size.width <= 0 || layout->size.height <= 0) return std::nullopt;
    return layout->size;
}

}  // namespace zylora::imaging
