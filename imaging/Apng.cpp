// An animated PNG's frames. Each frame's data is made into a PNG of its own (the file's
// header at the frame's size, the chunks its pixels need, the data as IDAT) and decoded as
// any PNG is.
#include <cstdint>
#include <string_view>
#include <vector>

#include "imaging/AnimationFormats.h"
#include "imaging/StbPixels.h"

namespace zylora::imaging {

namespace {

std::uint32_t BigEndian(std::string_view b, std::size_t at) {
    if (at + 4 > b.size()) return 0;
    return std::uint32_t{static_cast<unsigned char>(b[at])} << 24 | std::uint32_t{static_cast<unsigned char>(b[at + 1])} << 16 |
           std::uint32_t{static_cast<unsigned char>(b[at + 2])} << 8 | static_cast<unsigned char>(b[at + 3]);
}

void PutBigEndian(std::string& into, std::uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8) into.push_back(static_cast<char>((value >> shift) & 255));
}

std::uint32_t Crc(std::string_view bytes) {
    static const std::vector<std::uint32_t> table = [] {
        std::vector<std::uint32_t> t(256);
        for (std::uint32_t n = 0; n < 256; ++n) {
            std::uint32_t c = n;
            for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xedb88320u ^ (c >> 1) : c >> 1;
            t[n] = c;
        }
        return t;
    }();
    std::uint32_t c = 0xffffffffu;
    for (const char b : bytes) c = table[(c ^ static_cast<unsigned char>(b)) & 255] ^ (c >> 8);
    return c ^ 0xffffffffu;
}

void PutChunk(std::string& into, std::string_view type, std::string_view data) {
    PutBigEndian(into, static_cast<std::uint32_t>(data.size()));
    const std::size_t start = into.size();
    into.append(type);
    into.append(data);
    PutBigEndian(into, Crc(std::string_view(into).substr(start)));
}

struct Chunk {
    std::string_view type, data;
};

struct FrameControl {
    std::uint32_t width = 0, height = 0, left = 0, top = 0;
    int delayMs = 0;
    Disposal disposal = Disposal::Keep;
    Blend blend = Blend::Replace;
};

class ApngSource : public FrameSource {
public:
    ApngSource(std::string bytes, Size canvas, int plays, DecodeLimit limit)
        : bytes_(std::move(bytes)), canvas_(canvas), plays_(plays), limit_(limit) {
        // The chunks between the header and the pixels that every frame's PNG carries.
        for (std::size_t at = 8; at + 12 <= bytes_.size();) {
            const Chunk c = ChunkAt(at);
            if (c.type == "IDAT" || c.type == "fdAT" || c.type == "fcTL" || c.type == "IEND") break;
            if (c.type != "IHDR" && c.type != "acTL") shared_.push_back(c);
            at += 12 + c.data.size();
        }
    }
    Size Canvas() const override { return canvas_; }
    int Plays() const override { return plays_; }
    void Rewind() override {
        at_ = 8;
        frame_ = 0;
    }
    std::optional<StoredFrame> Next() override;

private:
    Chunk ChunkAt(std::size_t at) const {
        const std::uint32_t length = BigEndian(bytes_, at);
        if (at + 12 + static_cast<std::size_t>(length) > bytes_.size() || length > 0x7fffffffu) return {"IEND", {}};
        return {std::string_view(bytes_).substr(at + 4, 4), std::string_view(bytes_).substr(at + 8, length)};
    }

    std::string bytes_;
    Size canvas_;
    int plays_;
    DecodeLimit limit_;
    std::vector<Chunk> shared_;
    std::size_t at_ = 8;
    int frame_ = 0;
};

std::optional<StoredFrame> ApngSource::Next() {
    std::optional<FrameControl> control;
    std::string data;
    while (at_ + 12 <= bytes_.size()) {
        const Chunk c = ChunkAt(at_);
        if (c.type == "IEND") break;
        if (c.type == "fcTL") {
            if (control) break;  // the next frame's: this one is whole
            if (c.data.size() < 26) return std::nullopt;
            FrameControl f;
            f.width = BigEndian(c.data, 4);
            f.height = BigEndian(c.data, 8);
            f.left = BigEndian(c.data, 12);
            f.top = BigEndian(c.data, 16);
            const int numerator = static_cast<unsigned char>(c.data[20]) << 8 | static_cast<unsigned char>(c.data[21]);
            const int denominator = static_cast<unsigned char>(c.data[22]) << 8 | static_cast<unsigned char>(c.data[23]);
            f.delayMs = numerator * 1000 / (denominator == 0 ? 100 : denominator);
            const int dispose = static_cast<unsigned char>(c.data[24]);
            f.disposal = dispose == 1 ? Disposal::Clear : dispose == 2 ? Disposal::Restore : Disposal::Keep;
            // The first frame has nothing before it to give back.
            if (frame_ == 0 && f.disposal == Disposal::Restore) f.disposal = Disposal::Clear;
            f.blend = static_cast<unsigned char>(c.data[25]) == 1 ? Blend::Over : Blend::Replace;
            control = f;
        } else if (control && c.type == "IDAT") {
            data.append(c.data);
        } else if (control && c.type == "fdAT" && c.data.size() >= 4) {
            data.append(c.data.substr(4));
        }
        at_ += 12 + c.data.size();
    }
    if (!control || data.empty() || control->width == 0 || control->height == 0 ||
        control->width > 0x7fffffffu || control->height > 0x7fffffffu)
        return std::nullopt;
    // The frame as a PNG of its own.
    std::string png("\x89PNG\r\n\x1a\n", 8);
    const Chunk header = ChunkAt(8);
    if (header.type != "IHDR" || header.data.size() != 13) return std::nullopt;
    std::string ihdr(header.data);
    ihdr.replace(0, 8, "");
    std::string sized;
    PutBigEndian(sized, control->width);
    PutBigEndian(sized, control->height);
    PutChunk(png, "IHDR", sized + ihdr);
    for (const Chunk& c : shared_) PutChunk(png, c.type, c.data);
    PutChunk(png, "IDAT", data);
    PutChunk(png, "IEND", {});
    std::optional<DecodedPixels> pixels = StbPixels(png, limit_);
    if (!pixels) return std::nullopt;
    ++frame_;
    StoredFrame frame;
    frame.left = static_cast<int>(std::min<std::uint32_t>(control->left, 0x7fffffff));
    frame.top = static_cast<int>(std::min<std::uint32_t>(control->top, 0x7fffffff));
    frame.pixels = std::move(pixels->pixels);
    frame.delayMs = control->delayMs;
    frame.disposal = control->disposal;
    frame.blend = control->blend;
    return frame;
}

}  // namespace

std::unique_ptr<FrameSource> ApngFrames(std::string bytes, const DecodeLimit& limit) {
    if (bytes.size() < 33 || bytes.compare(0, 8, "\x89PNG\r\n\x1a\n", 8) != 0 || bytes.compare(12, 4, "IHDR") != 0)
        return nullptr;
    const std::string_view view(bytes);
    const Size canvas{static_cast<int>(std::min<std::uint32_t>(BigEndian(view, 16), 0x7fffffff)),
                      static_cast<int>(std::min<std::uint32_t>(BigEndian(view, 20), 0x7fffffff))};
    if (canvas.width <= 0 || canvas.height <= 0 || !limit.Allows(canvas)) return nullptr;
    // acTL comes before the first IDAT, or the file is a still PNG.
    for (std::size_t at = 8; at + 12 <= bytes.size();) {
        const std::uint32_t length = BigEndian(view, at);
        const std::string_view type = view.substr(at + 4, 4);
        if (type == "IDAT" || length > bytes.size()) break;
        if (type == "acTL" && length >= 8 && at + 16 <= bytes.size()) {
            const std::uint32_t frames = BigEndian(view, at + 8), plays = BigEndian(view, at + 12);
            if (frames < 2) return nullptr;
            return std::make_unique<ApngSource>(std::move(bytes), canvas,
                                                static_cast<int>(std::min<std::uint32_t>(plays, 1 << 20)), limit);
        }
        at += 12 + static_cast<std::size_t>(length);
    }
    return nullptr;
}

}  // namespace zylora::imaging
