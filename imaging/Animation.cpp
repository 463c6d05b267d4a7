#include "imaging/Animation.h"

#include <algorithm>

#include "imaging/AnimationFormats.h"

namespace zylora::imaging {

namespace {

// Straight ARGB `over` onto straight ARGB.
std::uint32_t PixelOver(std::uint32_t top, std::uint32_t under) {
    const std::uint32_t ta = top >> 24;
    if (ta == 255) return top;
    if (ta == 0) return under;
    const std::uint32_t ua = under >> 24;
    const std::uint32_t ub = ua * (255 - ta) / 255;  // what shows of the pixel under
    const std::uint32_t a = ta + ub;
    std::uint32_t out = a << 24;
    for (int shift = 0; shift <= 16; shift += 8) {
        const std::uint32_t c = (((top >> shift) & 255) * ta + ((under >> shift) & 255) * ub + a / 2) / a;
        out |= std::min<std::uint32_t>(c, 255) << shift;
    }
    return out;
}

}  // namespace

std::unique_ptr<FrameSource> AnimationFrames(std::string bytes, const DecodeLimit& limit) {
    if (bytes.compare(0, 3, "GIF") == 0) return GifFrames(std::move(bytes), limit);
    if (bytes.compare(0, 8, "\x89PNG\r\n\x1a\n") == 0) return ApngFrames(std::move(bytes), limit);
    if (bytes.size() >= 12 && bytes.compare(0, 4, "RIFF") == 0 && bytes.compare(8, 4, "WEBP") == 0)
        return WebpFrames(std::move(bytes), limit);
    return nullptr;
}

int ShownDelayMs(int storedDelayMs) { return storedDelayMs <= 10 ? 100 : storedDelayMs; }

Compositor::Compositor(Size canvas) {
    if (canvas.width <= 0 || canvas.height <= 0) return;
    try {
        canvas_.pixels.assign(static_cast<std::size_t>(canvas.width) * canvas.height, 0);
        canvas_.width = canvas.width;
        canvas_.height = canvas.height;
    } catch (const std::bad_alloc&) {
        canvas_ = PixelBuffer{};
    }
}

Compositor::Area Compositor::Clip(const StoredFrame& frame) const {
    const long long left = std::max(0, frame.left), top = std::max(0, frame.top);
    const long long right = std::min<long long>(canvas_.width, static_cast<long long>(frame.left) + frame.pixels.width);
    const long long bottom =
        std::min<long long>(canvas_.height, static_cast<long long>(frame.top) + frame.pixels.height);
    if (right <= left || bottom <= top) return {};
    return {static_cast<int>(left), static_cast<int>(top), static_cast<int>(right - left),
            static_cast<int>(bottom - top)};
}

void Compositor::DisposeLast() {
    const Area a = last_;
    for (int y = 0; y < a.height; ++y) {
        std::uint32_t* row = canvas_.pixels.data() + static_cast<std::size_t>(a.top + y) * canvas_.width + a.left;
        if (lastDisposal_ == Disposal::Clear)
            std::fill(row, row + a.width, 0u);
        else if (lastDisposal_ == Disposal::Restore && !saved_.pixels.empty())
            std::copy_n(saved_.pixels.data() + static_cast<std::size_t>(y) * a.width, a.width, row);
    }
    last_ = {};
    lastDisposal_ = Disposal::Keep;
}

bool Compositor::Draw(const StoredFrame& frame) {
    if (canvas_.pixels.empty()) return false;
    DisposeLast();
    const Area a = Clip(frame);
    saved_ = PixelBuffer{};
    if (frame.disposal == Disposal::Restore && a.width > 0) {
        try {
            saved_.pixels.resize(static_cast<std::size_t>(a.width) * a.height);
        } catch (const std::bad_alloc&) {
            return false;
        }
        for (int y = 0; y < a.height; ++y)
            std::copy_n(canvas_.pixels.data() + static_cast<std::size_t>(a.top + y) * canvas_.width + a.left, a.width,
                        saved_.pixels.data() + static_cast<std::size_t>(y) * a.width);
    }
    const int dx = a.left - frame.left, dy = a.top - frame.top;
    for (int y = 0; y < a.height; ++y) {
        const std::uint32_t* from =
            frame.pixels.pixels.data() + static_cast<std::size_t>(dy + y) * frame.pixels.width + dx;
        std::uint32_t* to = canvas_.pixels.data() + static_cast<std::size_t>(a.top + y) * canvas_.width + a.left;
        if (frame.blend == Blend::Replace)
            std::copy_n(from, a.width, to);
        else
            for (int x = 0; x < a.width; ++x) to[x] = PixelOver(from[x], to[x]);
    }
    last_ = a;
    lastDisposal_ = frame.disposal;
    return true;
}

std::unique_ptr<Animation> Animation::Open(std::string bytes, const DecodeLimit& limit) {
    std::unique_ptr<FrameSource> source = AnimationFrames(std::move(bytes), limit);
    if (!source) return nullptr;
    auto animation = std::make_unique<Animation>(std::move(source));
    if (!animation->Started()) return nullptr;
    return animation;
}

Animation::Animation(std::unique_ptr<FrameSource> source)
    : source_(std::move(source)), compositor_(source_ ? source_->Canvas() : Size{}) {
    if (source_) ComposeTo(0);
}

bool Animation::ComposeTo(int index) {
    source_->Rewind();
    compositor_ = Compositor(source_->Canvas());
    for (int i = 0; i <= index; ++i) {
        std::optional<StoredFrame> frame = source_->Next();
        if (!frame || !compositor_.Draw(*frame)) {
            index_ = -1;
            return false;
        }
        delayMs_ = ShownDelayMs(frame->delayMs);
    }
    index_ = index;
    return true;
}

bool Animation::Advance(bool byHand) {
    if (index_ < 0 || (over_ && !byHand)) return false;
    if (std::optional<StoredFrame> frame = source_->Next()) {
        if (!compositor_.Draw(*frame)) return false;
        ++index_;
        delayMs_ = ShownDelayMs(frame->delayMs);
        return true;
    }
    // Past the last frame (or where the file broke off): a play is over.
    frameCount_ = index_ + 1;
    ++playsDone_;
    const int plays = source_->Plays();
    if (frameCount_ < 2 || (!byHand && plays > 0 && playsDone_ >= plays)) {
        over_ = !byHand || frameCount_ < 2;
        return false;
    }
    return ComposeTo(0);
}

bool Animation::Back() {
    if (index_ < 0) return false;
    if (index_ > 0) return ComposeTo(index_ - 1);
    if (frameCount_ == 0) {
        // The count comes from a play to the end.
        int last = 0;
        source_->Rewind();
        while (source_->Next()) ++last;
        frameCount_ = last;
    }
    return frameCount_ > 1 && ComposeTo(frameCount_ - 1);
}

}  // namespace zylora::imaging
