// GIF's frames, read by our own decoder: the system's and stb_image's give the first frame,
// or all of them composed at once (a long GIF of large frames would take gigabytes).
#include <array>
#include <cstdint>
#include <vector>

#include "imaging/AnimationFormats.h"

namespace zylora::imaging {

namespace {

using Palette = std::array<std::uint32_t, 256>;

class GifSource : public FrameSource {
public:
    GifSource(std::string bytes, Size canvas, int plays, std::size_t firstBlock, Palette global, int globalCount,
              DecodeLimit limit)
        : bytes_(std::move(bytes)), canvas_(canvas), plays_(plays), first_(firstBlock), at_(firstBlock),
          global_(global), globalCount_(globalCount), limit_(limit) {}

    Size Canvas() const override { return canvas_; }
    int Plays() const override { return plays_; }
    void Rewind() override { at_ = first_; }
    std::optional<StoredFrame> Next() override;

private:
    int Byte() { return at_ < bytes_.size() ? static_cast<unsigned char>(bytes_[at_++]) : -1; }
    int Word() {
        const int lo = Byte(), hi = Byte();
        return lo < 0 || hi < 0 ? -1 : lo | hi << 8;
    }
    // Past a run of sub-blocks; false where the file ends first.
    bool SkipSubBlocks() {
        for (;;) {
            const int n = Byte();
            if (n < 0) return false;
            if (n == 0) return true;
            at_ += static_cast<std::size_t>(n);
        }
    }
    bool ReadPalette(Palette& palette, int count) {
        if (at_ + 3 * static_cast<std::size_t>(count) > bytes_.size()) return false;
        for (int i = 0; i < count; ++i) {
            const auto c = [&](int k) { return static_cast<std::uint32_t>(static_cast<unsigned char>(bytes_[at_ + k])); };
            palette[i] = 0xff000000u | c(0) << 16 | c(1) << 8 | c(2);
            at_ += 3;
        }
        return true;
    }
    // The frame's colour indices from its LZW data; those the data doesn't reach stay
    // transparent (index -1).
    bool Decompress(int minCode, std::vector<int>& indices);

    std::string bytes_;
    Size canvas_;
    int plays_;
    std::size_t first_, at_;
    Palette global_;
    int globalCount_;
    DecodeLimit limit_;
};

bool GifSource::Decompress(int minCode, std::vector<int>& indices) {
    if (minCode < 2 || minCode > 11) return false;
    const int clear = 1 << minCode, end = clear + 1;
    std::vector<std::uint16_t> prefix(4096);
    std::vector<std::uint8_t> suffix(4096), stack(4097);
    int size = minCode + 1, next = end + 1, old = -1, first = 0;
    std::uint32_t bits = 0;
    int bitCount = 0;
    std::size_t out = 0;
    for (int i = 0; i < clear; ++i) suffix[i] = static_cast<std::uint8_t>(i);
    for (;;) {
        const int n = Byte();
        if (n <= 0) return n == 0;
        for (int k = 0; k < n; ++k) {
            const int b = Byte();
            if (b < 0) return false;
            bits |= static_cast<std::uint32_t>(b) << bitCount;
            bitCount += 8;
            while (bitCount >= size) {
                int code = static_cast<int>(bits & ((1u << size) - 1));
                bits >>= size;
                bitCount -= size;
                if (code == clear) {
                    size = minCode + 1;
                    next = end + 1;
                    old = -1;
                    continue;
                }
                if (code == end) {
                    at_ += static_cast<std::size_t>(n - 1 - k);
                    return SkipSubBlocks();
                }
                int depth = 0;
                const int in = code;
                if (old < 0) {
                    if (code >= clear) return false;
                    first = code;
                    stack[depth++] = static_cast<std::uint8_t>(code);
                } else {
                    if (code > next || code >= 4096) return false;
                    if (code == next) {
                        stack[depth++] = static_cast<std::uint8_t>(first);
                        code = old;
                    }
                    while (code >= clear) {
                        stack[depth++] = suffix[code];
                        code = prefix[code];
                        if (depth >= 4096) return false;
                    }
                    first = code;
                    stack[depth++] = static_cast<std::uint8_t>(code);
                    if (next < 4096) {
                        prefix[next] = static_cast<std::uint16_t>(old);
                        suffix[next] = static_cast<std::uint8_t>(first);
                        ++next;
                        if (next == 1 << size && size < 12) ++size;
                    }
                }
                old = in;
                while (depth > 0 && out < indices.size()) indices[out++] = stack[--depth];
            }
        }
    }
}

std::optional<StoredFrame> GifSource::Next() {
    int delay = 0, transparent = -1, disposal = 0;
    for (;;) {
        const int block = Byte();
        if (block == 0x21) {
            const int label = Byte();
            if (label == 0xf9 && at_ + 6 <= bytes_.size() && static_cast<unsigned char>(bytes_[at_]) >= 4) {
                const int flags = static_cast<unsigned char>(bytes_[at_ + 1]);
                delay = (static_cast<unsigned char>(bytes_[at_ + 2]) | static_cast<unsigned char>(bytes_[at_ + 3]) << 8) * 10;
                transparent = (flags & 1) ? static_cast<unsigned char>(bytes_[at_ + 4]) : -1;
                disposal = (flags >> 2) & 7;
            }
            if (!SkipSubBlocks()) return std::nullopt;
            continue;
        }
        if (block != 0x2c) return std::nullopt;  // the trailer, or the file broke off
        StoredFrame frame;
        frame.left = Word();
        frame.top = Word();
        const int width = Word(), height = Word(), flags = Byte();
        if (flags < 0 || width <= 0 || height <= 0 || !limit_.Allows({width, height})) return std::nullopt;
        Palette local = global_;
        int colours = globalCount_;
        if (flags & 0x80) {
            colours = 2 << (flags & 7);
            if (!ReadPalette(local, colours)) return std::nullopt;
        }
        std::vector<int> indices;
        try {
            indices.assign(static_cast<std::size_t>(width) * height, -1);
            frame.pixels.pixels.resize(indices.size());
        } catch (const std::bad_alloc&) {
            return std::nullopt;
        }
        // What a frame cut short holds is shown; the frames after it are not read.
        const bool whole = Decompress(Byte(), indices);
        frame.pixels.width = width;
        frame.pixels.height = height;
        // Interlaced rows come in four passes: every 8th from 0, every 8th from 4, every 4th
        // from 2, every 2nd from 1.
        std::vector<int> rowOf(static_cast<std::size_t>(height));
        if (flags & 0x40) {
            int r = 0;
            for (const auto& [start, step] : {std::pair{0, 8}, {4, 8}, {2, 4}, {1, 2}})
                for (int y = start; y < height; y += step) rowOf[r++] = y;
        } else {
            for (int y = 0; y < height; ++y) rowOf[y] = y;
        }
        for (int r = 0; r < height; ++r)
            for (int x = 0; x < width; ++x) {
                const int i = indices[static_cast<std::size_t>(r) * width + x];
                frame.pixels.pixels[static_cast<std::size_t>(rowOf[r]) * width + x] =
                    i < 0 || i == transparent || i >= colours ? 0u : local[i];
            }
        frame.delayMs = delay;
        frame.blend = Blend::Over;
        frame.disposal = disposal == 2 ? Disposal::Clear : disposal == 3 ? Disposal::Restore : Disposal::Keep;
        if (!whole) at_ = bytes_.size();
        return frame;
    }
}

}  // namespace

std::unique_ptr<FrameSource> GifFrames(std::string bytes, const DecodeLimit& limit) {
    if (bytes.size() < 13 || (bytes.compare(0, 6, "GIF87a") != 0 && bytes.compare(0, 6, "GIF89a") != 0))
        return nullptr;
    const auto u8 = [&](std::size_t i) -> std::uint32_t {
        return i < bytes.size() ? static_cast<unsigned char>(bytes[i]) : 0;
    };
    const Size canvas{static_cast<int>(u8(6) | u8(7) << 8), static_cast<int>(u8(8) | u8(9) << 8)};
    if (canvas.width <= 0 || canvas.height <= 0 || !limit.Allows(canvas)) return nullptr;
    const std::uint32_t flags = u8(10);
    std::size_t at = 13;
    Palette global{};
    int globalCount = 0;
    if (flags & 0x80) {
        globalCount = 2 << (flags & 7);
        if (at + 3 * static_cast<std::size_t>(globalCount) > bytes.size()) return nullptr;
        for (int i = 0; i < globalCount; ++i, at += 3)
            global[i] = 0xff000000u | u8(at) << 16 | u8(at + 1) << 8 | u8(at + 2);
    }
    // A walk over the blocks, without decoding: the loop count, and whether a second frame
    // comes.
    int plays = 1, frames = 0;
    std::size_t p = at;
    const auto skipSubBlocks = [&] {
        while (p < bytes.size() && u8(p) != 0) p += 1 + u8(p);
        ++p;
    };
    while (p < bytes.size() && frames < 2) {
        const std::uint32_t block = u8(p++);
        if (block == 0x21) {
            const std::uint32_t label = u8(p++);
            if (label == 0xff && u8(p) == 11 && bytes.compare(p + 1, 11, "NETSCAPE2.0") == 0 && u8(p + 12) >= 3 &&
                u8(p + 13) == 1) {
                const int loops = static_cast<int>(u8(p + 14) | u8(p + 15) << 8);
                plays = loops == 0 ? 0 : loops + 1;  // the plays after the first; 0 for ever
            }
            skipSubBlocks();
        } else if (block == 0x2c) {
            ++frames;
            const std::uint32_t local = u8(p + 8);
            p += 9 + ((local & 0x80) ? 3 * (std::size_t{2} << (local & 7)) : 0) + 1;
            skipSubBlocks();
        } else {
            break;
        }
    }
    if (frames < 2) return nullptr;
    return std::make_unique<GifSource>(std::move(bytes), canvas, plays, at, global, globalCount, limit);
}

}  // namespace zylora::imaging
