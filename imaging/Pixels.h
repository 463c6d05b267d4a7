// The program's own pixel buffers and the work on them that needs no system: blank buffers,
// turns and mirrors, the widening of three-byte rows, the reduced copy a large picture is
// drawn from, and 1:1 copies. Any thread may use them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <new>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "imaging/PhotoFacts.h"
#include "imaging/Resample.h"
#include "platform/Types.h"

namespace zylora::imaging {

// The platform's small value types, which the pixel work measures in.
using platform::RotateFlipType;
using platform::Size;

// Makes the elements it is given no value for without one: a picture's memory that is
// written whole anyway (a decode, a turn) is not cleared first. A value given (assign,
// resize(n, value)) is set as usual.
template <typename T>
struct UnclearedAllocator : std::allocator<T> {
    template <typename U>
    struct rebind {
        using other = UnclearedAllocator<U>;
    };
    UnclearedAllocator() = default;
    template <typename U>
    UnclearedAllocator(const UnclearedAllocator<U>&) noexcept {}
    template <typename U>
    void construct(U* at) noexcept {
        ::new (static_cast<void*>(at)) U;
    }
    template <typename U, typename... Args>
    void construct(U* at, Args&&... args) {
        ::new (static_cast<void*>(at)) U(std::forward<Args>(args)...);
    }
};
using PixelWords = std::vector<std::uint32_t, UnclearedAllocator<std::uint32_t>>;

// 32-bit straight ARGB rows without padding.
struct PixelBuffer {
    PixelWords pixels;
    int width = 0;
    int height = 0;
};

struct DecodedPixels {
    PixelBuffer pixels;
    bool opaque = false;   // every alpha is 255
    bool damaged = false;  // the file ended or broke off before the whole picture
    bool animated = false;  // the first frame of an animation
    int pages = 1;          // of the file it is the first page of (a TIFF of several)
    std::string profile;    // the colour profile a decoder read with them; empty: the header's, if any
    PhotoFacts facts;       // what the file says of the photo, for the facts panel
};

// Runs work(begin, end) over the whole of [0, count), in parts that may run at once; the
// parts are independent. Null: all on the calling thread.
using Parallel = std::function<void(int count, const std::function<void(int, int)>& work)>;

// Transparent pixels of the size; nothing if memory is short.
std::optional<DecodedPixels> BlankPixels(int width, int height);
// Pixels of the size with no values yet, for a decoder that writes every one of them; in
// the memory kept by KeepPictureMemory when the pixels fill at least four fifths of it.
std::optional<DecodedPixels> PixelsToFill(int width, int height);

// Keeps the memory of a picture let go of for the next picture of about its size: fresh
// memory costs a page fault per 4 KB at its first touch (40 ms for a 24 MP picture), and a
// step through a camera's photos decodes one of the same size after another. One buffer of
// at least 16 MB is kept, the largest let go of since PixelsToFill last took one; a picture
// of 16 MB or more that it doesn't fit frees it, the pictures' size having changed.
void KeepPictureMemory(PixelBuffer&& buffer);
// Frees the memory kept, which nothing is about to take.
void FreeKeptPictureMemory();

// The same, in the memory of a buffer let go of through RecyclePixels where one is large
// enough. Fresh memory costs a page fault per 4 KB at its first touch, which a drag that
// resizes a window-sized surface at every step would pay in full each time; new memory is
// taken with room to grow by an eighth for the same reason.
std::optional<DecodedPixels> RecycledBlankPixels(int width, int height);
// Keeps the buffer's memory for RecycledBlankPixels: the two most recent of at least 1 MB
// are kept, others freed.
void RecyclePixels(PixelBuffer&& buffer);

// Turns or mirrors the pixels as RotateFlipType numbers it (quarter turns clockwise, then
// the mirror left to right). False, the pixels untouched, when memory is short.
bool RotateFlipPixels(PixelBuffer& buffer, RotateFlipType type);

// Turns and mirrors the pixels stored as a camera's orientation tag (EXIF 274, values 1 to 8)
// says, so they stand upright; 1, 0 and unknown values leave them as stored. False, the pixels
// as they were, when memory is short.
bool OrientPixels(PixelBuffer& buffer, int orientation);
// The turn that stands a picture of that orientation upright; nothing for none.
std::optional<RotateFlipType> UprightTurn(int orientation);

// `count` pixels of three bytes each (blue, green, red, as Windows stores a photo's rows)
// as opaque ARGB. The three-byte pixels may stand at the end of the room the wide ones take
// (from == (uint8_t*)to + count): they widen in place.
void WidenBgr(const std::uint8_t* from, std::uint32_t* to, std::size_t count);

bool AllOpaque(const PixelWords& pixels);

// A copy of the size (each side clamped to 1 and the source's own), resampled with the
// Lanczos filter (imaging/Lanczos.h): fine patterns show no moiré. Nothing when the source
// is empty or memory is short.
std::optional<DecodedPixels> ReducePixels(const PixelBuffer& from, bool opaque, Size size,
                                         const Parallel& parallel = nullptr);

// Blends the source rectangle of `from` onto the destination when both have the same size
// in whole pixels, which needs no resampling: a picture at a power-of-two reduction and every
// pan step at that zoom. False when the rectangles aren't such. `coveredAll` tells whether an
// opaque source covered the whole of `to`.
bool CopyOneToOne(ConstPixelGrid from, bool opaque, RectF source, PixelGrid to, RectF destination,
                  bool& coveredAll);

// Draws the source rectangle of `from` stretched into the destination as DrawResampled does
// (DrawNearest when `quick`), by CopyOneToOne where that needs no resampling. True when every
// pixel of `to` is now opaque: an opaque source wholly inside its picture covered all of it.
bool DrawStretched(ConstPixelGrid from, bool opaque, RectF source, PixelGrid to, RectF destination, bool quick);

}  // namespace zylora::imaging
