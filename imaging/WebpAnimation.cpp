// An animated WebP's frames, through libwebp's demuxer: each frame a still WebP of its own,
// placed on the canvas with its disposal and blending.
#include <webp/decode.h>
#include <webp/demux.h>

#include <memory>

#include "imaging/AnimationFormats.h"

namespace zylora::imaging {

namespace {

using Demux = std::unique_ptr<WebPDemuxer, decltype(&WebPDemuxDelete)>;

class WebpSource : public FrameSource {
public:
    WebpSource(std::unique_ptr<std::string> bytes, Demux demux, Size canvas, int plays, int frames, DecodeLimit limit)
        : bytes_(std::move(bytes)), demux_(std::move(demux)), canvas_(canvas), plays_(plays), frames_(frames),
          limit_(limit) {}
    Size Canvas() const override { return canvas_; }
    int Plays() const override { return plays_; }
    void Rewind() override { next_ = 1; }
    std::optional<StoredFrame> Next() override {
        if (next_ > frames_) return std::nullopt;
        WebPIterator it{};
        if (!WebPDemuxGetFrame(demux_.get(), next_, &it)) return std::nullopt;
        using Iterator = std::unique_ptr<WebPIterator, decltype(&WebPDemuxReleaseIterator)>;
        const Iterator release(&it, &WebPDemuxReleaseIterator);
        ++next_;
        if (it.width <= 0 || it.height <= 0 || !limit_.Allows({it.width, it.height})) return std::nullopt;
        StoredFrame frame;
        try {
            frame.pixels.pixels.resize(static_cast<std::size_t>(it.width) * it.height);
        } catch (const std::bad_alloc&) {
            return std::nullopt;
        }
        frame.pixels.width = it.width;
        frame.pixels.height = it.height;
        // libwebp's BGRA bytes are the bytes of our ARGB words.
        if (!WebPDecodeBGRAInto(it.fragment.bytes, it.fragment.size,
                                reinterpret_cast<std::uint8_t*>(frame.pixels.pixels.data()),
                                frame.pixels.pixels.size() * 4, it.width * 4))
            return std::nullopt;
        frame.left = it.x_offset;
        frame.top = it.y_offset;
        frame.delayMs = it.duration;
        frame.disposal = it.dispose_method == WEBP_MUX_DISPOSE_BACKGROUND ? Disposal::Clear : Disposal::Keep;
        frame.blend = it.blend_method == WEBP_MUX_BLEND ? Blend::Over : Blend::Replace;
        return frame;
    }

private:
    std::unique_ptr<std::string> bytes_;  // the demuxer reads from them where they stand
    Demux demux_;
    Size canvas_;
    int plays_, frames_;
    DecodeLimit limit_;
    int next_ = 1;
};

}  // namespace

std::unique_ptr<FrameSource> WebpFrames(std::string bytes, const DecodeLimit& limit) {
    auto source = std::make_unique<std::string>(std::move(bytes));
    const WebPData data{reinterpret_cast<const std::uint8_t*>(source->data()), source->size()};
    Demux demux(WebPDemux(&data), &WebPDemuxDelete);
    if (!demux || !(WebPDemuxGetI(demux.get(), WEBP_FF_FORMAT_FLAGS) & ANIMATION_FLAG)) return nullptr;
    const int frames = static_cast<int>(WebPDemuxGetI(demux.get(), WEBP_FF_FRAME_COUNT));
    const Size canvas{static_cast<int>(WebPDemuxGetI(demux.get(), WEBP_FF_CANVAS_WIDTH)),
                      static_cast<int>(WebPDemuxGetI(demux.get(), WEBP_FF_CANVAS_HEIGHT))};
    if (frames < 2 || canvas.width <= 0 || canvas.height <= 0 || !limit.Allows(canvas)) return nullptr;
    const int plays = static_cast<int>(std::min<std::uint32_t>(WebPDemuxGetI(demux.get(), WEBP_FF_LOOP_COUNT), 1 << 20));
    return std::make_unique<WebpSource>(std::move(source), std::move(demux), canvas, plays, frames, limit);
}

}  // namespace zylora::imaging
