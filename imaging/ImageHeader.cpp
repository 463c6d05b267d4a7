#include "imaging/ImageHeader.h"

#include <algorithm>
#include <cstdlib>
#include <vector>

#include "imaging/AvifContainer.h"
#include "imaging/ColourManagement.h"
#include "imaging/HeicHeader.h"
#include "imaging/JxlHeader.h"

namespace zylora::imaging {

namespace {

std::uint32_t Byte(const std::string& s, std::size_t i) { return static_cast<unsigned char>(s[i]); }

std::uint32_t Big16(const std::string& s, std::size_t i) { return Byte(s, i) << 8 | Byte(s, i + 1); }

std::uint32_t Big32(const std::string& s, std::size_t i) { return Big16(s, i) << 16 | Big16(s, i + 2); }

std::uint32_t Little16(const std::string& s, std::size_t i) { return Byte(s, i + 1) << 8 | Byte(s, i); }

std::uint32_t Little32(const std::string& s, std::size_t i) {
    return Little16(s, i + 2) << 16 | Little16(s, i);
}

std::optional<Size> MakeSize(long long width, long long height) {
    if (width <= 0 || height <= 0 || width > INT32_MAX || height > INT32_MAX) return std::nullopt;
    return Size{static_cast<int>(width), static_cast<int>(height)};
}

// Reads `bytes` as a file of their own: a segment's contents, whose offsets count from its
// start and may not point outside it.
ByteReader Within(const std::string& bytes) {
    return [&bytes](std::uint64_t offset, std::size_t length) {
        return offset < bytes.size() ? bytes.substr(static_cast<std::size_t>(offset), length) : std::string();
    };
}

// The `length` bytes at `offset`, or nothing when the file holds fewer: a segment or chunk
// claiming more than there is is ignored rather than read in part. Beyond `most` is no
// header worth reading.
std::optional<std::string> Whole(const ByteReader& read, std::uint64_t offset, std::uint64_t length,
                                 std::uint64_t most = 1 << 20) {
    if (length > most) return std::nullopt;
    std::string bytes = read(offset, static_cast<std::size_t>(length));
    if (bytes.size() != length) return std::nullopt;
    return bytes;
}

// What the first directory of a TIFF structure at `base` says (-1 where it says nothing).
struct TiffFields {
    long long width = -1, height = -1, orientation = -1;
};

TiffFields ReadTiff(const ByteReader& read, std::uint64_t base) {
    TiffFields fields;
    const std::string header = read(base, 8);
    if (header.size() < 8) return fields;
    const bool little = header.compare(0, 4, std::string("II*\0", 4)) == 0;
    if (!little && header.compare(0, 4, std::string("MM\0*", 4)) != 0) return fields;
    auto u16 = [&](const std::string& s, std::size_t i) { return little ? Little16(s, i) : Big16(s, i); };
    auto u32 = [&](const std::string& s, std::size_t i) { return little ? Little32(s, i) : Big32(s, i); };
    const std::uint64_t ifd = base + u32(header, 4);
    const std::string countBytes = read(ifd, 2);
    if (countBytes.size() < 2) return fields;
    // A directory that runs past the end of what holds it is not trusted in part.
    const std::optional<std::string> entries = Whole(read, ifd + 2, u16(countBytes, 0) * 12ull);
    if (!entries) return fields;
    for (std::size_t i = 0; i + 12 <= entries->size(); i += 12) {
        const std::uint32_t tag = u16(*entries, i), type = u16(*entries, i + 2), count = u32(*entries, i + 4);
        // Only a value held in the entry itself: a larger one lies at an offset, never followed.
        const long long value = type == 3 && count >= 1 && count <= 2 ? u16(*entries, i + 8)
                                : type == 4 && count == 1             ? u32(*entries, i + 8)
                                                                      : -1;
        if (tag == 256) fields.width = value;
        if (tag == 257) fields.height = value;
        if (tag == 274) fields.orientation = value;
    }
    return fields;
}

// One marker segment of a JPEG: its marker and where its content (after the length) lies.
struct JpegSegment {
    std::uint32_t marker;
    std::uint64_t content;
    std::uint32_t length;
};

bool IsFrame(std::uint32_t marker) {
    return marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
}

// Walks a JPEG's markers from its start to its first scan, as the standard lays them out:
// any number of fill bytes (0xFF) before a marker, the markers that stand alone (TEM, RSTn)
// and segments of any length in any order, the frame header among them. Tells `segment` of
// each until it answers false. It stops at the scan, the end, or a byte where a marker must
// stand. Every step moves forward and the steps are bounded, so a crafted file can't make it
// loop for ever.
void WalkJpeg(const ByteReader& read, const std::function<bool(const JpegSegment&)>& segment) {
    std::uint64_t at = 2;
    for (int step = 0; step < 10000; ++step) {
        const std::string head = read(at, 4);
        if (head.size() < 2 || Byte(head, 0) != 0xFF) return;
        const std::uint32_t marker = Byte(head, 1);
        if (marker == 0xFF) {  // fill bytes: on to the last of the run, a block at a step
            const std::string run = read(at, 1 << 12);
            const std::size_t end = run.find_first_not_of('\xFF');
            if (end == std::string::npos && run.size() < 2) return;
            at += (end == std::string::npos ? run.size() : end) - 1;
            continue;
        }
        if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD8)) {  // no length field
            at += 2;
            continue;
        }
        if (marker == 0x00 || marker == 0xD9 || marker == 0xDA || head.size() < 4) return;
        const std::uint32_t length = Big16(head, 2);
        if (length < 2 || !segment({marker, at + 4, length - 2})) return;
        at += 2 + length;
    }
}

bool IsJpeg(const std::string& head) { return head.size() >= 4 && Byte(head, 0) == 0xFF && Byte(head, 1) == 0xD8; }

bool IsPng(const std::string& head) { return head.compare(0, 8, "\x89PNG\r\n\x1a\n") == 0; }

// Walks a PNG's chunks up to its pixel data, as WalkJpeg a JPEG's segments.
void WalkPng(const ByteReader& read,
             const std::function<bool(const std::string& type, std::uint64_t content, std::uint32_t length)>& chunk) {
    std::uint64_t at = 8;
    for (int step = 0; step < 10000; ++step) {
        const std::string head = read(at, 8);
        if (head.size() < 8 || head.compare(4, 4, "IDAT") == 0 || head.compare(4, 4, "IEND") == 0) return;
        const std::uint32_t length = Big32(head, 0);
        if (!chunk(head.substr(4, 4), at + 8, length)) return;
        at += 12ull + length;
    }
}

bool IsTiff(const std::string& head) {
    return head.size() >= 8 &&
           (head.compare(0, 4, std::string("II*\0", 4)) == 0 || head.compare(0, 4, std::string("MM\0*", 4)) == 0);
}

bool IsWebp(const std::string& head) {
    return head.size() >= 16 && head.compare(0, 4, "RIFF") == 0 && head.compare(8, 4, "WEBP") == 0;
}

// Walks the chunks of an extended WebP (its first chunk VP8X, the only kind that may carry a
// profile or Exif), as WalkPng a PNG's; a chunk's data is padded to an even length.
void WalkExtendedWebp(const ByteReader& read, const std::function<bool(const std::string& type, std::uint64_t content,
                                                                       std::uint32_t length)>& chunk) {
    if (!IsWebp(read(0, 16)) || read(12, 4) != "VP8X") return;
    std::uint64_t at = 12;
    for (int step = 0; step < 10000; ++step) {
        const std::string head = read(at, 8);
        if (head.size() < 8) return;
        const std::uint32_t length = Little32(head, 4);
        if (!chunk(head.substr(0, 4), at + 8, length)) return;
        at += 8ull + length + (length & 1);
    }
}

// The canvas of a WebP: the extended header's, or the one bitstream's (lossy or lossless).
std::optional<Size> WebpSize(const std::string& head) {
    if (head.size() < 25) return std::nullopt;
    const std::uint32_t low24 = 0xFFFFFF;
    if (head.size() >= 30 && head.compare(12, 4, "VP8X") == 0)
        return MakeSize((Little32(head, 24) & low24) + 1ll, (Little32(head, 26) >> 8) + 1ll);
    if (head.compare(12, 4, "VP8L") == 0 && Byte(head, 20) == 0x2F) {
        const std::uint32_t bits = Little32(head, 21);
        return MakeSize((bits & 0x3FFF) + 1ll, (bits >> 14 & 0x3FFF) + 1ll);
    }
    // A key frame (bit 0 clear), its start code, then the sizes with two bits of scaling above.
    if (head.size() >= 30 && head.compare(12, 4, "VP8 ") == 0 && (Byte(head, 20) & 1) == 0 &&
        head.compare(23, 3, "\x9D\x01\x2A") == 0)
        return MakeSize(Little16(head, 26) & 0x3FFF, Little16(head, 28) & 0x3FFF);
    return std::nullopt;
}

// TGA has no signature: a header is taken for one when its colour map type, image type and
// depth are each one TGA allows (what stb_image checks), which the first bytes of the other
// formats read here never pass.
bool IsTga(const std::string& head) {
    if (head.size() < 18) return false;
    const std::uint32_t mapType = Byte(head, 1), type = Byte(head, 2), depth = Byte(head, 16);
    const bool typeFits = mapType == 1   ? type == 1 || type == 9
                          : mapType == 0 ? type == 2 || type == 3 || type == 10 || type == 11
                                         : false;
    const bool depthFits = depth == 8 || depth == 15 || depth == 16 || depth == 24 || depth == 32;
    return typeFits && depthFits && Little16(head, 12) > 0 && Little16(head, 14) > 0;
}

// The Exif structure of a WebP's EXIF chunk: the TIFF structure, after the JPEG segment's
// six-byte name where a writer kept it.
int ExifChunkOrientation(const std::string& exif) {
    const std::uint64_t base = exif.compare(0, 6, std::string("Exif\0\0", 6)) == 0 ? 6 : 0;
    return static_cast<int>(ReadTiff(Within(exif), base).orientation);
}

}  // namespace

OwnFormat DeclaredOwnFormat(const std::string& head) {
    if (IsWebp(head)) return OwnFormat::Webp;
    if (head.compare(0, 4, "8BPS") == 0) return OwnFormat::Psd;
    if (head.compare(0, 4, "qoif") == 0) return OwnFormat::Qoi;
    if (IsAvif(head)) return OwnFormat::Avif;
    if (IsHeic(head)) return OwnFormat::Heic;
    if (IsJxl(head)) return OwnFormat::Jxl;
    if (IsTga(head)) return OwnFormat::Tga;
    return OwnFormat::None;
}

std::optional<Size> DeclaredImageSize(const ByteReader& read) {
    const std::string head = read(0, 32);
    if (head.size() >= 24 && IsPng(head) &&
        head.compare(12, 4, "IHDR") == 0)
        return MakeSize(Big32(head, 16), Big32(head, 20));
    if (head.size() >= 10 && (head.compare(0, 6, "GIF87a") == 0 || head.compare(0, 6, "GIF89a") == 0))
        return MakeSize(Little16(head, 6), Little16(head, 8));
    if (head.size() >= 26 && head.compare(0, 2, "BM") == 0) {
        if (Little32(head, 14) == 12) return MakeSize(Little16(head, 18), Little16(head, 20));
        const auto height = static_cast<std::int32_t>(Little32(head, 22));
        return MakeSize(static_cast<std::int32_t>(Little32(head, 18)), std::llabs(height));
    }
    if (IsJpeg(head)) {
        std::optional<Size> size;
        WalkJpeg(read, [&](const JpegSegment& segment) {
            if (!IsFrame(segment.marker)) return true;
            // Precision, then the height and the width.
            const std::string frame = read(segment.content, 5);
            if (frame.size() == 5) size = MakeSize(Big16(frame, 3), Big16(frame, 1));
            return false;
        });
        return size;
    }
    if (IsTiff(head)) {
        const TiffFields fields = ReadTiff(read, 0);
        return MakeSize(fields.width, fields.height);
    }
    switch (DeclaredOwnFormat(head)) {
        case OwnFormat::Webp: return WebpSize(head);
        case OwnFormat::Psd: return head.size() >= 22 ? MakeSize(Big32(head, 18), Big32(head, 14)) : std::nullopt;
        case OwnFormat::Qoi: return head.size() >= 12 ? MakeSize(Big32(head, 4), Big32(head, 8)) : std::nullopt;
        case OwnFormat::Tga: return MakeSize(Little16(head, 12), Little16(head, 14));
        case OwnFormat::Avif: {
            const std::optional<AvifLayout> avif = ReadAvifLayout(read, false);
            return avif ? std::optional(avif->size) : std::nullopt;
        }
        case OwnFormat::Heic: return DeclaredHeicSize(read);
        case OwnFormat::Jxl: return JxlDeclaredSize(read);
        case OwnFormat::None: break;
    }
    return std::nullopt;
}

int DeclaredJpegPrecision(const ByteReader& read) {
    if (!IsJpeg(read(0, 4))) return 0;
    int precision = 0;
    WalkJpeg(read, [&](const JpegSegment& segment) {
        if (!IsFrame(segment.marker)) return true;
        const std::string frame = read(segment.content, 1);
        if (!frame.empty()) precision = static_cast<int>(Byte(frame, 0));
        return false;
    });
    return precision;
}

int DeclaredOrientation(const ByteReader& read) {
    const std::string head = read(0, 8);
    long long orientation = -1;
    if (IsTiff(head)) orientation = ReadTiff(read, 0).orientation;
    if (IsJpeg(head)) {
        // The first whole APP1 segment that is Exif: a TIFF structure after its six-byte
        // name, read within the segment.
        WalkJpeg(read, [&](const JpegSegment& segment) {
            if (segment.marker != 0xE1 || read(segment.content, 6) != std::string("Exif\0\0", 6)) return true;
            const std::optional<std::string> exif = Whole(read, segment.content, segment.length);
            if (!exif) return true;
            orientation = ReadTiff(Within(*exif), 6).orientation;
            return false;
        });
    }
    if (IsPng(head)) {
        // The eXIf chunk is the TIFF structure itself, read within the chunk.
        WalkPng(read, [&](const std::string& type, std::uint64_t content, std::uint32_t length) {
            if (type != "eXIf") return true;
            if (const std::optional<std::string> exif = Whole(read, content, length))
                orientation = ReadTiff(Within(*exif), 0).orientation;
            return false;
        });
    }
    WalkExtendedWebp(read, [&](const std::string& type, std::uint64_t content, std::uint32_t length) {
        if (type != "EXIF") return true;
        if (const std::optional<std::string> exif = Whole(read, content, length))
            orientation = ExifChunkOrientation(*exif);
        return false;
    });
    if (const std::optional<AvifLayout> avif = ReadAvifLayout(read, false)) orientation = avif->orientation;
    return orientation >= 1 && orientation <= 8 ? static_cast<int>(orientation) : 0;
}

std::string DeclaredColourProfile(const ByteReader& read) {
    if (const std::optional<AvifLayout> avif = ReadAvifLayout(read, false))
        return avif->profile.empty() && avif->coding ? ProfileOfPrimaries(avif->coding->primaries) : avif->profile;
    std::string webp;
    WalkExtendedWebp(read, [&](const std::string& type, std::uint64_t content, std::uint32_t length) {
        if (type != "ICCP") return true;
        webp = Whole(read, content, length).value_or("");
        return false;
    });
    if (!webp.empty() || !IsJpeg(read(0, 4))) return webp;
    // Each APP2 segment named "ICC_PROFILE" holds one piece: its number from 1, the count of
    // pieces, then its bytes. A piece missing, cut short, repeated or numbered against the
    // count leaves the profile unknown.
    std::vector<std::string> pieces;
    bool broken = false;
    WalkJpeg(read, [&](const JpegSegment& segment) {
        if (segment.marker != 0xE2 || segment.length < 14) return true;
        const std::string name = read(segment.content, 14);
        if (name.size() < 14 || name.compare(0, 12, std::string("ICC_PROFILE\0", 12)) != 0) return true;
        const std::uint32_t number = Byte(name, 12), count = Byte(name, 13);
        if (pieces.empty()) pieces.resize(count);
        if (number == 0 || count != pieces.size() || number > count || !pieces[number - 1].empty()) {
            broken = true;
            return false;
        }
        const std::optional<std::string> piece = Whole(read, segment.content + 14, segment.length - 14);
        broken = !piece;
        if (piece) pieces[number - 1] = *piece;
        return !broken;
    });
    std::string profile;
    for (const std::string& piece : pieces) {
        if (piece.empty()) return {};
        profile += piece;
    }
    return broken ? std::string() : profile;
}

std::optional<std::string> DeclaredExif(const ByteReader& read) {
    const std::string head = read(0, 64);
    std::optional<std::string> exif;
    if (IsJpeg(head)) {
        WalkJpeg(read, [&](const JpegSegment& segment) {
            if (segment.marker != 0xE1 || read(segment.content, 6) != std::string("Exif\0\0", 6)) return true;
            exif = Whole(read, segment.content + 6, segment.length - std::min<std::uint32_t>(segment.length, 6));
            return !exif;
        });
    } else if (IsPng(head)) {
        WalkPng(read, [&](const std::string& type, std::uint64_t content, std::uint32_t length) {
            if (type != "eXIf") return true;
            exif = Whole(read, content, length);
            return false;
        });
    } else if (IsWebp(head)) {
        WalkExtendedWebp(read, [&](const std::string& type, std::uint64_t content, std::uint32_t length) {
            if (type != "EXIF") return true;
            exif = Whole(read, content, length);
            // A writer may have kept the JPEG segment's name.
            if (exif && exif->compare(0, 6, std::string("Exif\0\0", 6)) == 0) exif->erase(0, 6);
            return false;
        });
    } else if (IsAvif(head) || IsHeic(head)) {
        exif = HeifExif(read);
    }
    return exif;
}

bool DeclaresAnimation(const ByteReader& read) {
    const std::string head = read(0, 13);
    if (IsPng(head)) {
        bool animated = false;
        WalkPng(read, [&](const std::string& type, std::uint64_t content, std::uint32_t length) {
            if (type != "acTL") return true;
            animated = length >= 8 && Big32(read(content, 4), 0) >= 2;
            return false;
        });
        return animated;
    }
    // An extended WebP says so in its flags.
    if (IsWebp(read(0, 16))) return read(12, 4) == "VP8X" && (Byte(read(20, 1), 0) & 0x02) != 0;
    if (head.compare(0, 6, "GIF87a") != 0 && head.compare(0, 6, "GIF89a") != 0) return false;
    // The blocks walked, a window of the file at a time, until a second frame begins.
    std::string window;
    std::uint64_t windowAt = 0;
    const auto byteAt = [&](std::uint64_t at) -> int {
        if (at < windowAt || at >= windowAt + window.size()) {
            windowAt = at;
            window = read(at, 1 << 16);
            if (window.empty()) return -1;
        }
        return static_cast<unsigned char>(window[static_cast<std::size_t>(at - windowAt)]);
    };
    const auto skipSubBlocks = [&](std::uint64_t at) -> std::uint64_t {
        for (int n; (n = byteAt(at)) > 0;) at += 1 + static_cast<std::uint64_t>(n);
        return byteAt(at) == 0 ? at + 1 : 0;
    };
    const int flags = Byte(head, 10);
    std::uint64_t at = 13 + ((flags & 0x80) ? 3ull << ((flags & 7) + 1) : 0);
    int frames = 0;
    while (at != 0 && frames < 2) {
        const int block = byteAt(at);
        if (block == 0x21) {
            at = skipSubBlocks(at + 2);
        } else if (block == 0x2c) {
            ++frames;
            const int local = byteAt(at + 9);
            if (local < 0) break;
            at = skipSubBlocks(at + 11 + ((local & 0x80) ? 3ull << ((local & 7) + 1) : 0));
        } else {
            break;
        }
    }
    return frames >= 2;
}

std::optional<HeaderFacts> ReadHeaderFacts(const ByteReader& readFile, std::uint64_t fileSize,
                                           const DecodeLimit& limit) {
    // The size, the orientation and the profile are each looked for from the start: the
    // first bytes, where they stand, are read from the file once. No more than the file
    // holds (and one byte to see it grow): a skin's images are a few hundred bytes, and room
    // for the whole head, cleared and freed, cost more than their reading.
    constexpr std::size_t headLength = 1 << 18;
    const std::string head = readFile(0, static_cast<std::size_t>(std::min<std::uint64_t>(fileSize + 1, headLength)));
    const bool whole = head.size() < headLength && head.size() <= fileSize;
    const ByteReader read = [&](std::uint64_t offset, std::size_t length) {
        if (whole || offset + length <= head.size())
            return offset < head.size() ? head.substr(static_cast<std::size_t>(offset), length) : std::string();
        return readFile(offset, length);
    };
    HeaderFacts facts;
    facts.size = DeclaredImageSize(read);
    if (facts.size && !limit.Allows(*facts.size)) return std::nullopt;
    facts.jpeg = head.rfind("\xFF\xD8\xFF", 0) == 0;
    facts.own = DeclaredOwnFormat(head);
    facts.orientation = DeclaredOrientation(read);
    facts.profile = DeclaredColourProfile(read);
    if (facts.jpeg) facts.jpegPrecision = DeclaredJpegPrecision(read);
    facts.animated = DeclaresAnimation(read);
    if (facts.own == OwnFormat::Avif || facts.own == OwnFormat::Heic) {
        const std::optional<AvifLayout> heif = ReadHeifLayout(read, false);
        if (heif && heif->thumbnail) {
            const bool across = heif->orientation >= 5 && heif->orientation <= 8;
            facts.thumbnailOf = across ? Size{heif->size.height, heif->size.width} : heif->size;
        }
    }
    facts.photo = DeclaredPhotoFacts(read);
    if (whole) facts.whole = head;
    return facts;
}

}  // namespace zylora::imaging
