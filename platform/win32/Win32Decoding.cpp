// Decoding picture files: into our own pixels by the imaging component where it reads the
// format, else by GDI+; files that aren't pictures or are too large are refused first. The
// pixels come out upright and in the display's colours.
#include "platform/win32/Win32Bitmaps.h"

#include <wincodec.h>

#include <algorithm>
#include <initializer_list>

#include "imaging/ColourManagement.h"
#include "imaging/ImageHeader.h"
#include "imaging/JpegPreview.h"
#include "imaging/StbPixels.h"
#include "platform/win32/Win32FileStream.h"
#include "platform/win32/Win32FileSystem.h"
#include "platform/win32/Win32Handles.h"
#include "platform/win32/Win32Text.h"

namespace zylora::platform::win32 {

namespace {

// Only a file on a disk is handed to the library: a device ("CON", "COM1"), a pipe or a
// folder named like a picture could block it or make it read for ever. A decompression bomb
// (a small file declaring an enormous picture) is refused before the library tries to
// allocate and decode it.
// What the header tells besides the size: the orientation tag (0 for none) and the colour
// profile the system's JPEG decoder may not read (Wine's doesn't).
struct HeaderFacts {
    int orientation = 0;
    std::string profile;
    std::optional<Size> size;
    bool jpeg = false;
    std::string whole;  // the file's bytes, when it is small enough to have been read whole
};

bool MayDecode(const std::string& path, const DecodeLimit& limit, HeaderFacts& facts) {
    facts = {};
    KernelHandle file(::CreateFileW(WideFromUtf8(path).c_str(), GENERIC_READ,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.Valid() || ::GetFileType(file.Get()) != FILE_TYPE_DISK) return false;
    BY_HANDLE_FILE_INFORMATION info{};
    if (!::GetFileInformationByHandle(file.Get(), &info) || (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        return false;
    const imaging::ByteReader readFile = [&file](std::uint64_t offset, std::size_t length) {
        std::string bytes(std::min<std::size_t>(length, 1 << 20), '\0');
        LARGE_INTEGER at{};
        at.QuadPart = static_cast<LONGLONG>(offset);
        DWORD got = 0;
        if (!::SetFilePointerEx(file.Get(), at, nullptr, FILE_BEGIN) ||
            !::ReadFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr))
            got = 0;
        bytes.resize(got);
        return bytes;
    };
    // The size, the orientation and the profile are each looked for from the start: the
    // first bytes, where they stand, are read from the file once. No more than the file
    // holds (and one byte to see it grow): a skin's images are a few hundred bytes, and room
    // for the whole head, cleared and freed, cost more than their reading.
    constexpr std::size_t headLength = 1 << 18;
    const std::uint64_t fileSize = (static_cast<std::uint64_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
    const std::string head = readFile(0, static_cast<std::size_t>(std::min<std::uint64_t>(fileSize + 1, headLength)));
    const bool whole = head.size() < headLength && head.size() <= fileSize;
    const imaging::ByteReader read = [&](std::uint64_t offset, std::size_t length) {
        if (whole || offset + length <= head.size())
            return offset < head.size() ? head.substr(static_cast<std::size_t>(offset), length) : std::string();
        return readFile(offset, length);
    };
    const std::optional<Size> size = imaging::DeclaredImageSize(read);
    if (size && !limit.Allows(*size)) return false;
    facts.size = size;
    facts.jpeg = head.rfind("\xFF\xD8\xFF", 0) == 0;
    facts.orientation = imaging::DeclaredOrientation(read);
    facts.profile = imaging::DeclaredColourProfile(read);
    if (whole) facts.whole = head;
    return true;
}

// The display's colour profile as the system names it, read once; empty (sRGB) when it
// names none or the file can't be read.
const std::string& DisplayProfile() {
    static const std::string profile = [] {
        HDC screen = ::GetDC(nullptr);
        wchar_t name[MAX_PATH] = {};
        DWORD length = MAX_PATH;
        const bool named = screen && ::GetICMProfileW(screen, &length, name);
        if (screen) ::ReleaseDC(nullptr, screen);
        return named ? Win32FileSystem().ReadFile(Utf8FromWide(name)).value_or(std::string()) : std::string();
    }();
    return profile;
}

// The colour profile the system reads from the frame (a PNG's iCCP chunk, a TIFF's tag, a
// JPEG's APP2 segments on Windows); empty when it reads none.
std::string SystemProfile(IWICImagingFactory* factory, IWICBitmapFrameDecode* frame) {
    UINT count = 0;
    if (FAILED(frame->GetColorContexts(0, nullptr, &count)) || count == 0) return {};
    count = std::min(count, 4u);
    Com<IWICColorContext> contexts[4];
    IWICColorContext* raw[4] = {};
    for (UINT i = 0; i < count; ++i) {
        if (FAILED(factory->CreateColorContext(contexts[i].Receive()))) return {};
        raw[i] = contexts[i].Get();
    }
    if (FAILED(frame->GetColorContexts(count, raw, &count))) return {};
    for (UINT i = 0; i < std::min(count, 4u); ++i) {
        WICColorContextType type{};
        UINT size = 0;
        if (FAILED(raw[i]->GetType(&type)) || type != WICColorContextProfile ||
            FAILED(raw[i]->GetProfileBytes(0, nullptr, &size)) || size == 0 || size > (16u << 20))
            continue;
        std::string bytes(size, '\0');
        if (SUCCEEDED(raw[i]->GetProfileBytes(size, reinterpret_cast<BYTE*>(bytes.data()), &size))) {
            bytes.resize(std::min<std::size_t>(size, bytes.size()));
            return bytes;
        }
    }
    return {};
}

// The pixels converted from the picture's own profile to the display's; left as they are
// without a profile or with one that can't be used.
void ShowInDisplayColours(DecodedPixels& own, const std::unique_ptr<imaging::ColourConversion>& conversion) {
    if (conversion) imaging::ConvertColours(own.pixels, *conversion, InHalves);
}


bool IsOneOf(const GUID& format, std::initializer_list<GUID> formats) {
    return std::any_of(formats.begin(), formats.end(), [&](const GUID& f) { return IsEqualGUID(format, f); });
}

// The file decoded by the imaging component straight into memory of our own: one copy of
// the pixels fewer than through a GDI+ bitmap, which GDI+ itself fills from the same codecs.
// Only the still formats whose first frame is the whole picture; nothing when the component
// can't read the file, and GDI+ tries it (it also reads GIF's logical screen and the
// metafile formats).
std::optional<DecodedPixels> ComponentPixels(const std::wstring& path, const DecodeLimit& limit,
                                             const ImagingComponent* component, const std::string& headerProfile) {
    IWICImagingFactory* factory = component ? component->Factory() : nullptr;
    Com<IWICBitmapDecoder> decoder;
    Com<IWICBitmapFrameDecode> frame;
    Com<IWICFormatConverter> converter;
    GUID container{};
    UINT width = 0, height = 0;
    WICPixelFormatGUID format{};
    if (!factory) return std::nullopt;
    Com<IStream> file;
    *file.Receive() = OpenSharedReadStream(path);
    if (!file.Get() ||
        FAILED(factory->CreateDecoderFromStream(file.Get(), nullptr, WICDecodeMetadataCacheOnDemand,
                                                decoder.Receive())) ||
        FAILED(decoder->GetContainerFormat(&container)) ||
        !IsOneOf(container, {GUID_ContainerFormatJpeg, GUID_ContainerFormatPng, GUID_ContainerFormatBmp,
                             GUID_ContainerFormatTiff}) ||
        FAILED(decoder->GetFrame(0, frame.Receive())) || FAILED(frame->GetSize(&width, &height)) ||
        FAILED(frame->GetPixelFormat(&format)) || width == 0 || height == 0 ||
        !limit.Allows({static_cast<int>(width), static_cast<int>(height)}))
        return std::nullopt;
    const imaging::ColourModel model =
        IsOneOf(format, {GUID_WICPixelFormat32bppCMYK}) ? imaging::ColourModel::Cmyk
        : IsOneOf(format, {GUID_WICPixelFormatBlackWhite, GUID_WICPixelFormat2bppGray, GUID_WICPixelFormat4bppGray,
                           GUID_WICPixelFormat8bppGray, GUID_WICPixelFormat16bppGray})
            ? imaging::ColourModel::Grey
            : imaging::ColourModel::Rgb;
    std::string profile = SystemProfile(factory, frame.Get());
    if (profile.empty()) profile = headerProfile;
    const std::unique_ptr<imaging::ColourConversion> colours =
        profile.empty() ? nullptr : imaging::ColourConversion::Between(profile, model, DisplayProfile());
    // Every pixel is written below, or the decode fails and the pixels go.
    std::optional<DecodedPixels> own = imaging::PixelsToFill(static_cast<int>(width), static_cast<int>(height));
    if (!own) return own;
    auto* out = reinterpret_cast<BYTE*>(own->pixels.pixels.data());
    bool converted = false;
    // A photo's three bytes a pixel are widened here, a band of rows at a time: several
    // times faster than the component's general converter. Each band's rows come into the
    // end of the band's own room and widen in place. Its colours are converted band by band
    // as the rows come.
    if (IsEqualGUID(format, GUID_WICPixelFormat24bppBGR)) {
        const UINT band = std::max(1u, std::min(height, (1u << 22) / (width * 3 + 4)));
        const auto decodeRows = [&](int top, int count) {
            const WICRect rect{0, top, static_cast<INT>(width), count};
            const std::size_t pixels = static_cast<std::size_t>(width) * static_cast<std::size_t>(count);
            std::uint32_t* room = own->pixels.pixels.data() + static_cast<std::size_t>(top) * width;
            BYTE* narrow = reinterpret_cast<BYTE*>(room) + pixels;
            if (FAILED(frame->CopyPixels(&rect, width * 3, static_cast<UINT>(pixels * 3), narrow))) return false;
            imaging::WidenBgr(narrow, room, pixels);
            return true;
        };
        if (!imaging::DecodeAndConvert(own->pixels, static_cast<int>(band), decodeRows, colours.get(), InHalves))
            return std::nullopt;
        converted = true;
    } else if (colours && model == imaging::ColourModel::Cmyk) {
        // The inks themselves, which the profile converts; the component's converter would
        // take them as the complements of sRGB.
        if (FAILED(frame->CopyPixels(nullptr, width * 4, width * height * 4, out))) return std::nullopt;
    } else if (FAILED(factory->CreateFormatConverter(converter.Receive())) ||
               FAILED(converter->Initialize(frame.Get(), GUID_WICPixelFormat32bppBGRA, WICBitmapDitherTypeNone,
                                            nullptr, 0.0, WICBitmapPaletteTypeCustom)) ||
               FAILED(converter->CopyPixels(nullptr, width * 4, width * height * 4, out))) {
        return std::nullopt;
    }
    // Formats without alpha are opaque; any other is looked at.
    own->opaque = IsOneOf(format, {GUID_WICPixelFormat24bppBGR, GUID_WICPixelFormat24bppRGB,
                                   GUID_WICPixelFormat32bppBGR, GUID_WICPixelFormat48bppRGB,
                                   GUID_WICPixelFormat8bppGray, GUID_WICPixelFormat16bppGray,
                                   GUID_WICPixelFormat32bppCMYK}) ||
                  imaging::AllOpaque(own->pixels.pixels);
    if (!converted) ShowInDisplayColours(*own, colours);
    return own;
}

// The file decoded by GDI+ within the limit; null when it isn't a picture or is too large.
// The bitmap holds the stream (and so the file, shared for deletion) while it lives.
std::unique_ptr<Gdiplus::Bitmap> DecodedBitmap(const std::wstring& path, const DecodeLimit& limit) {
    Com<IStream> file;
    *file.Receive() = OpenSharedReadStream(path);
    if (!file.Get()) return nullptr;
    std::unique_ptr<Gdiplus::Bitmap> bitmap(new Gdiplus::Bitmap(file.Get(), /*useEmbeddedColorManagement=*/FALSE));
    // A format whose header we don't read is held to the limit once decoded.
    if (bitmap->GetLastStatus() != Gdiplus::Ok || bitmap->GetWidth() == 0 || bitmap->GetHeight() == 0 ||
        !limit.Allows({static_cast<int>(bitmap->GetWidth()), static_cast<int>(bitmap->GetHeight())}))
        return nullptr;
    return bitmap;
}

// The bitmap's pixels once into memory of our own, in the layout every drawing path reads
// directly; nothing when that memory can't be had.
std::optional<DecodedPixels> OwnPixels(Gdiplus::Bitmap& bitmap) {
    const int width = static_cast<int>(bitmap.GetWidth()), height = static_cast<int>(bitmap.GetHeight());
    std::optional<DecodedPixels> own = imaging::BlankPixels(width, height);
    if (!own) return own;
    Gdiplus::Rect all(0, 0, width, height);
    Gdiplus::BitmapData data{};
    data.Width = static_cast<UINT>(width);
    data.Height = static_cast<UINT>(height);
    data.Stride = width * 4;
    data.PixelFormat = PixelFormat32bppARGB;
    data.Scan0 = own->pixels.pixels.data();
    if (bitmap.LockBits(&all, Gdiplus::ImageLockModeRead | Gdiplus::ImageLockModeUserInputBuf, PixelFormat32bppARGB,
                        &data) != Gdiplus::Ok)
        return std::nullopt;
    bitmap.UnlockBits(&data);
    // Formats without alpha or palette are opaque; any other is looked at.
    const Gdiplus::PixelFormat format = bitmap.GetPixelFormat();
    own->opaque = (!Gdiplus::IsAlphaPixelFormat(format) && !Gdiplus::IsIndexedPixelFormat(format)) ||
                  imaging::AllOpaque(own->pixels.pixels);
    return own;
}

// A picture GDI+ decoded, in the display's colours where its header carried a profile.
std::optional<DecodedPixels> GdiplusPixels(Gdiplus::Bitmap& bitmap, const std::string& headerProfile) {
    std::optional<DecodedPixels> own = OwnPixels(bitmap);
    if (own && !headerProfile.empty())
        ShowInDisplayColours(*own, imaging::ColourConversion::Between(headerProfile, imaging::ColourModel::Rgb,
                                                                      DisplayProfile()));
    return own;
}


}  // namespace

IWICImagingFactory* ImagingComponent::Factory() const {
    std::call_once(made_, [this] {
        if (FAILED(::CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                                      reinterpret_cast<void**>(&factory_))))
            factory_ = nullptr;
    });
    return factory_;
}

ImagingComponent::~ImagingComponent() {
    if (factory_) factory_->Release();
}

ThreadImaging::ThreadImaging() : com_(SUCCEEDED(::CoInitializeEx(nullptr, COINIT_MULTITHREADED))) {
    component_ = std::make_unique<ImagingComponent>();
}

ThreadImaging::~ThreadImaging() {
    component_.reset();  // before COM ends on this thread
    if (com_) ::CoUninitialize();
}

// A small PNG or plain BMP read whole, decoded here: under Wine the imaging component costs a
// millisecond or more for each (the first one ten times that), and a skin and a button set
// hold two dozen. One with a colour profile goes to the component, which shows it in the
// display's colours.
std::optional<DecodedPixels> SmallFilePixels(const HeaderFacts& facts, const DecodeLimit& limit) {
    if (facts.whole.empty() || !facts.profile.empty() ||
        !(imaging::IsPlainPng(facts.whole) || imaging::IsPlainBmp(facts.whole)))
        return std::nullopt;
    return imaging::StbPixels(facts.whole, limit);
}

// A JPEG the system's decoders refuse, decoded by libjpeg-turbo, which gives what it holds:
// a file cut short (shown with the rest grey, and marked damaged) or without its end marker.
std::optional<DecodedPixels> WholeJpegPixels(const std::string& path, const HeaderFacts& facts,
                                             const DecodeLimit& limit) {
    if (!facts.jpeg) return std::nullopt;
    const std::optional<std::string> file = Win32FileSystem().ReadFile(path);
    std::optional<DecodedPixels> whole = file ? imaging::DecodeWholeJpeg(*file, limit) : std::nullopt;
    if (whole && !facts.profile.empty())
        ShowInDisplayColours(*whole, imaging::ColourConversion::Between(facts.profile, imaging::ColourModel::Rgb,
                                                                        DisplayProfile()));
    return whole;
}

// The picture as the camera meant it, upright by its orientation tag, before anything else
// sees it. Without memory for the turn it stays as stored.
std::unique_ptr<Image> DecodeImageFile(const std::string& path, const DecodeLimit& limit,
                                       const ImagingComponent* component) {
    const std::wstring widePath = WideFromUtf8(path);
    HeaderFacts facts;
    if (widePath.empty() || !MayDecode(path, limit, facts)) return std::make_unique<GdiImage>(nullptr);
    std::optional<DecodedPixels> own = SmallFilePixels(facts, limit);
    if (!own) own = ComponentPixels(widePath, limit, component, facts.profile);
    if (!own) own = WholeJpegPixels(path, facts, limit);
    std::unique_ptr<Gdiplus::Bitmap> bitmap = own ? nullptr : DecodedBitmap(widePath, limit);
    if (bitmap) own = GdiplusPixels(*bitmap, facts.profile);
    if (own) {
        imaging::OrientPixels(own->pixels, facts.orientation);
        return std::make_unique<GdiImage>(std::move(*own));
    }
    // The decoder's bitmap stays only when memory of our own can't be had, turned by GDI+
    // itself, which numbers the turns as the tag's table does.
    auto image = std::make_unique<GdiImage>(std::move(bitmap));
    if (const std::optional<RotateFlipType> upright = imaging::UprightTurn(facts.orientation))
        image->RotateFlip(*upright);
    return image;
}

std::optional<DecodedPixels> DecodePixels(const std::string& path, const DecodeLimit& limit,
                                         const ImagingComponent* component) {
    const std::wstring widePath = WideFromUtf8(path);
    HeaderFacts facts;
    if (widePath.empty() || !MayDecode(path, limit, facts)) return std::nullopt;
    std::optional<DecodedPixels> own = SmallFilePixels(facts, limit);
    if (!own) own = ComponentPixels(widePath, limit, component, facts.profile);
    if (!own) own = WholeJpegPixels(path, facts, limit);
    if (!own) {
        std::unique_ptr<Gdiplus::Bitmap> bitmap = DecodedBitmap(widePath, limit);
        if (bitmap) own = GdiplusPixels(*bitmap, facts.profile);
    }
    if (own) imaging::OrientPixels(own->pixels, facts.orientation);
    return own;
}

std::optional<PreviewPlan> PlanPreview(const std::string& path, const DecodeLimit& limit,
                                       const std::function<Size(Size)>& neededFor) {
    HeaderFacts facts;
    if (!MayDecode(path, limit, facts) || !facts.jpeg || !facts.size) return std::nullopt;
    // The size needed is the upright picture's; the decoder scales the picture as stored.
    const bool across = facts.orientation >= 5 && facts.orientation <= 8;
    const Size stored = *facts.size;
    PreviewPlan plan{1, facts.orientation, std::move(facts.profile), across ? Size{stored.height, stored.width} : stored};
    Size needed = neededFor(plan.upright);
    if (across) std::swap(needed.width, needed.height);
    plan.divisor = imaging::PreviewDivisor(stored, needed);
    if (plan.divisor < 2) return std::nullopt;
    return plan;
}

std::optional<DecodedPixels> DecodePreviewPixels(const std::string& path, const PreviewPlan& plan) {
    const std::optional<std::string> file = Win32FileSystem().ReadFile(path);
    std::optional<DecodedPixels> preview = file ? imaging::DecodeJpegPreview(*file, plan.divisor) : std::nullopt;
    if (!preview) return std::nullopt;
    imaging::OrientPixels(preview->pixels, plan.orientation);
    if (!plan.profile.empty())
        ShowInDisplayColours(*preview, imaging::ColourConversion::Between(plan.profile, imaging::ColourModel::Rgb,
                                                                          DisplayProfile()));
    return preview;
}

}  // namespace zylora::platform::win32
