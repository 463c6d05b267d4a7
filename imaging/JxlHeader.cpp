#include "imaging/JxlHeader.h"

#include <cstdint>

namespace zylora::imaging {

namespace {

const std::string CodestreamSignature("\xFF\x0A", 2);
const std::string ContainerSignature("\0\0\0\x0CJXL \x0D\x0A\x87\x0A", 12);

// The codestream's bits, read from the lowest bit of each byte up; past the end reads zeros,
// which the caller's length check has ruled out.
class BitReader {
public:
    explicit BitReader(const std::string& bytes) : bytes_(bytes) {}
    std::uint32_t Bits(int count) {
        std::uint32_t value = 0;
        for (int i = 0; i < count; ++i, ++at_) {
            const std::size_t byte = at_ / 8;
            if (byte < bytes_.size() && (static_cast<unsigned char>(bytes_[byte]) >> (at_ % 8) & 1)) value |= 1u << i;
        }
        return value;
    }
    // A side of the size header: a two-bit choice of how many bits follow.
    std::uint32_t Side() {
        static constexpr int widths[4] = {9, 13, 18, 30};
        return Bits(widths[Bits(2)]) + 1;
    }

private:
    const std::string& bytes_;
    std::size_t at_ = 0;
};

// Where the codestream begins: at the start of a bare one, else in the container's jxlc box or
// its first jxlp box (after that box's four-byte index).
std::optional<std::uint64_t> CodestreamStart(const ByteReader& read) {
    const std::string head = read(0, 12);
    if (head.compare(0, 2, CodestreamSignature) == 0) return 0;
    if (head != ContainerSignature) return std::nullopt;
    std::uint64_t at = 12;
    for (int step = 0; step < 64; ++step) {
        const std::string box = read(at, 16);
        if (box.size() < 8) return std::nullopt;
        std::uint64_t size = 0, header = 8;
        for (std::size_t i = 0; i < 4; ++i) size = size << 8 | static_cast<unsigned char>(box[i]);
        if (size == 1) {  // the size in 64 bits after the type
            if (box.size() < 16) return std::nullopt;
            size = 0, header = 16;
            for (std::size_t i = 8; i < 16; ++i) size = size << 8 | static_cast<unsigned char>(box[i]);
        }
        const std::string type = box.substr(4, 4);
        if (type == "jxlc") return at + header;
        if (type == "jxlp") return at + header + 4;
        if (size < header) return std::nullopt;  // 0: the last box, which reaches the end
        at += size;
    }
    return std::nullopt;
}

}  // namespace

bool IsJxl(const std::string& head) {
    return head.compare(0, 2, CodestreamSignature) == 0 || head.compare(0, 12, ContainerSignature) == 0;
}

std::optional<Size> JxlDeclaredSize(const ByteReader& read) {
    const std::optional<std::uint64_t> start = CodestreamStart(read);
    // The signature, then at most 68 bits of size header.
    const std::string bytes = start ? read(*start, 11) : std::string();
    if (bytes.size() < 11 || bytes.compare(0, 2, CodestreamSignature) != 0) return std::nullopt;
    BitReader bits(bytes);
    bits.Bits(16);
    const bool small = bits.Bits(1) != 0;
    const std::uint64_t height = small ? (bits.Bits(5) + 1) * 8ull : bits.Side();
    // The width is the height times a ratio, or given itself (ratio 0).
    static constexpr std::uint64_t ratios[8][2] = {{0, 1}, {1, 1}, {12, 10}, {4, 3}, {3, 2}, {16, 9}, {5, 4}, {2, 1}};
    const std::uint32_t ratio = bits.Bits(3);
    const std::uint64_t width = ratio != 0 ? height * ratios[ratio][0] / ratios[ratio][1]
                                : small    ? (bits.Bits(5) + 1) * 8ull
                                           : bits.Side();
    if (width > INT32_MAX || height > INT32_MAX) return std::nullopt;
    return Size{static_cast<int>(width), static_cast<int>(height)};
}

}  // namespace zylora::imaging
