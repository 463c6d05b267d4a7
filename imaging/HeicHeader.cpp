#include "imaging/HeicHeader.h"

#include <algorithm>
#include <cstdint>
#include <functional>
#include <vector>

namespace zylora::imaging {

namespace {

std::uint32_t Byte(const std::string& s, std::size_t i) { return i < s.size() ? static_cast<unsigned char>(s[i]) : 0; }
std::uint32_t Big16(const std::string& s, std::size_t i) { return Byte(s, i) << 8 | Byte(s, i + 1); }
std::uint32_t Big32(const std::string& s, std::size_t i) { return Big16(s, i) << 16 | Big16(s, i + 2); }

// A box: its type, and where its content (after the size and type) lies and how long it is.
struct Box {
    std::string type;
    std::uint64_t content, length;
};

// Tells `box` of each box between `begin` and `end` until it answers false. A box claiming
// more than there is, or less than its own header, ends the walk; every step moves forward
// and the steps are bounded, so a crafted file can't make it loop for ever.
void WalkBoxes(const ByteReader& read, std::uint64_t begin, std::uint64_t end,
               const std::function<bool(const Box&)>& box) {
    std::uint64_t at = begin;
    for (int step = 0; step < 10000 && at < end && end - at >= 8; ++step) {
        const std::string head = read(at, 16);
        if (head.size() < 8) return;
        std::uint64_t size = Big32(head, 0), header = 8;
        if (size == 1) {  // a 64-bit size follows the type
            if (head.size() < 16) return;
            size = static_cast<std::uint64_t>(Big32(head, 8)) << 32 | Big32(head, 12);
            header = 16;
        } else if (size == 0) {  // to the end of what holds it
            size = end - at;
        }
        if (size < header || size > end - at || !box({head.substr(4, 4), at + header, size - header})) return;
        at += size;
    }
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
    // The meta box, read whole (a few kilobytes even for a phone's tiled photo); it is a full
    // box, its children after its version and flags.
    std::string meta;
    WalkBoxes(read, 0, UINT64_MAX, [&](const Box& b) {
        if (b.type != "meta") return true;
        if (b.length <= (1u << 20)) meta = read(b.content, static_cast<std::size_t>(b.length));
        if (meta.size() != b.length) meta.clear();
        return false;
    });
    const ByteReader inMeta = [&meta](std::uint64_t offset, std::size_t length) {
        return offset < meta.size() ? meta.substr(static_cast<std::size_t>(offset), length) : std::string();
    };
    // The primary item (pitm), the properties in order (ipco; the sizes of those that are
    // ispe) and which item has which (ipma).
    std::optional<std::uint32_t> primary;
    std::vector<std::optional<Size>> properties;
    std::string ipma;
    WalkBoxes(inMeta, 4, meta.size(), [&](const Box& b) {
        const std::string content = inMeta(b.content, static_cast<std::size_t>(std::min<std::uint64_t>(b.length, 8)));
        if (b.type == "pitm" && content.size() >= (Byte(content, 0) == 0 ? 6u : 8u))
            primary = Byte(content, 0) == 0 ? Big16(content, 4) : Big32(content, 4);
        if (b.type != "iprp") return true;
        WalkBoxes(inMeta, b.content, b.content + b.length, [&](const Box& p) {
            if (p.type == "ipma") ipma = inMeta(p.content, static_cast<std::size_t>(p.length));
            if (p.type != "ipco") return true;
            WalkBoxes(inMeta, p.content, p.content + p.length, [&](const Box& q) {
                // A full box: its version and flags, then the width and the height.
                const std::string ispe = q.type == "ispe" ? inMeta(q.content, 12) : std::string();
                const auto side = [&](std::size_t at) { return static_cast<int>(Big32(ispe, at) & 0x7FFFFFFF); };
                properties.push_back(ispe.size() == 12 ? std::optional(Size{side(4), side(8)}) : std::nullopt);
                return true;
            });
            return true;
        });
        return true;
    });
    if (!primary || ipma.size() < 8) return std::nullopt;
    // Each entry: the item, the count of its properties, each property's index from 1 (15
    // bits where flag 1 is set, else 7) below the bit telling whether it is essential.
    const bool wideIds = Byte(ipma, 0) >= 1, wideIndices = (Byte(ipma, 3) & 1) != 0;
    std::size_t at = 8;
    for (std::uint32_t entry = 0, entries = Big32(ipma, 4); entry < entries && at < ipma.size(); ++entry) {
        const std::uint32_t item = wideIds ? Big32(ipma, at) : Big16(ipma, at);
        at += wideIds ? 4 : 2;
        const std::uint32_t count = Byte(ipma, at++);
        for (std::uint32_t i = 0; i < count && at < ipma.size(); ++i) {
            const std::uint32_t index = wideIndices ? Big16(ipma, at) & 0x7FFF : Byte(ipma, at) & 0x7F;
            at += wideIndices ? 2 : 1;
            if (item == *primary && index >= 1 && index <= properties.size() && properties[index - 1] &&
                properties[index - 1]->width > 0 && properties[index - 1]->height > 0)
                return properties[index - 1];
        }
    }
    return std::nullopt;
}

}  // namespace zylora::imaging
