// The system's side of decoding picture files: the file opened and its header read, the
// imaging component into our own pixels where it reads the format, GDI+ as the last resort,
// and the display's colour profile. The order and the finishing (colours, the turn upright)
// are the pipeline's (imaging/Decoding.h).
#include "platform/win32/Win32Bitmaps.h"

#include <wincodec.h>

#include <algorithm>
#include <initializer_list>

#include "imaging/ColourManagement.h"
#include "imaging/Decoding.h"
#include "imaging/ImageHeader.h"
#include "platform/Paths.h"
#include "platform/win32/Win32FileStream.h"
#include "platform/win32/Win32FileSystem.h"
#include "platform/win32/Win32HeifLibrary.h"
#include "platform/win32/Win32Handles.h"
#include "platform/win32/Win32Text.h"

namespace zylora::platform::win32 {

namespace {

// Only a file on a disk is handed to the library: a device ("CON", "COM1"), a pipe or a
// folder named like a picture could block it or make it read for ever. Nothing, too, for a
// file declaring a picture beyond the limit.
std::optional<imaging::HeaderFacts> MayDecode(const std::string& path, const DecodeLimit& limit) {
    KernelHandle file(::CreateFileW(WideFromUtf8(path).c_str(), GENERIC_READ,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.Valid() || ::GetFileType(file.Get()) != FILE_TYPE_DISK) return std::nullopt;
    BY_HANDLE_FILE_INFORMATION info{};
    if (!::GetFileInformationByHandle(file.Get(), &info) || (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        return std::nullopt;
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
    const std::uint64_t fileSize = (static_cast<std::uint64_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
    return imaging::ReadHeaderFacts(readFile, fileSize, limit);
}

// Where the pixels go: the display's colour profile as the system names it, read once (empty,
// sRGB, when it names none or the file can't be read), and both cores for the pixel work.
const imaging::Display& ScreenDisplay() {
    static const imaging::Display display{[] {
        HDC screen = ::GetDC(nullptr);
        wchar_t name[MAX_PATH] = {};
        DWORD length = MAX_PATH;
        const bool named = screen && ::GetICMProfileW(screen, &length, name);
        if (screen) ::ReleaseDC(nullptr, screen);
        return named ? Win32FileSystem().ReadFile(Utf8FromWide(name)).value_or(std::string()) : std::string();
    }(), InHalves};
    return display;
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

bool IsOneOf(const GUID& format, std::initializer_list<GUID> formats) {
    return std::any_of(formats.begin(), formats.end(), [&](const GUID& f) { return IsEqualGUID(format, f); });
}

// The frame of an icon or cursor with the most pixels: its entries are the same picture at
// several sizes, the first often the smallest.
UINT LargestFrame(IWICBitmapDecoder* decoder) {
    UINT count = 0, best = 0;
    unsigned long long most = 0;
    if (FAILED(decoder->GetFrameCount(&count))) return 0;
    for (UINT i = 0; i < std::min(count, 256u); ++i) {
        Com<IWICBitmapFrameDecode> frame;
        UINT w = 0, h = 0;
        if (SUCCEEDED(decoder->GetFrame(i, frame.Receive())) && SUCCEEDED(frame->GetSize(&w, &h)) &&
            1ull * w * h > most) {
            most = 1ull * w * h;
            best = i;
        }
    }
    return best;
}

// The file decoded by the imaging component straight into memory of our own: one copy of
// the pixels fewer than through a GDI+ bitmap, which GDI+ itself fills from the same codecs.
// Every container it reads (on Windows also those of the codecs a user installed), but GIF,
// whose first frame is only a part of its logical screen; an icon's largest entry. Nothing
// when the component can't read the file, and GDI+ tries it (it also reads GIF's logical
// screen and the metafile formats). `page` picks another page of a file of several (a TIFF's);
// the pixels tell how many it has.
std::optional<DecodedPixels> ComponentPixels(const std::wstring& path, const DecodeLimit& limit,
                                             const ImagingComponent* component, const std::string& headerProfile,
                                             const std::function<bool()>& cancelled, int page = 0) {
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
        FAILED(decoder->GetContainerFormat(&container)) || IsOneOf(container, {GUID_ContainerFormatGif}) ||
        FAILED(decoder->GetFrame(IsOneOf(container, {GUID_ContainerFormatIco}) ? LargestFrame(decoder.Get())
                                                                               : static_cast<UINT>(page),
                                 frame.Receive())) || FAILED(frame->GetSize(&width, &height)) ||
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
        profile.empty() ? nullptr : imaging::ColourConversion::Between(profile, model, ScreenDisplay().profile);
    // Every pixel is written below, or the decode fails and the pixels go.
    std::optional<DecodedPixels> own = imaging::PixelsToFill(static_cast<int>(width), static_cast<int>(height));
    if (!own) return own;
    auto* out = reinterpret_cast<BYTE*>(own->pixels.pixels.data());
    bool converted = false;
    // A photo's three bytes a pixel are widened by the pipeline, its colours converted as
    // the rows come.
    if (IsEqualGUID(format, GUID_WICPixelFormat24bppBGR)) {
        const auto copyRows = [&](int top, int count, std::uint8_t* into) {
            if (cancelled && cancelled()) return false;
            const WICRect rect{0, top, static_cast<INT>(width), count};
            return SUCCEEDED(frame->CopyPixels(&rect, width * 3, width * 3 * static_cast<UINT>(count), into));
        };
        if (!imaging::DecodeThreeByteRows(own->pixels, copyRows, colours.get(), InHalves)) return std::nullopt;
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
    if (!converted && colours) imaging::ConvertColours(own->pixels, *colours, InHalves);
    UINT pages = 1;
    if (IsOneOf(container, {GUID_ContainerFormatTiff}) && SUCCEEDED(decoder->GetFrameCount(&pages)))
        own->pages = static_cast<int>(std::min(pages, 100000u));
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

// The pipeline's decode with this system's decoders: the imaging component, the file's bytes,
// GDI+ last. GDI+'s bitmap is left in `bitmap`, for a caller that can show it when memory of
// our own can't be had.
// A decode nobody wants any more (`cancelled`, asked between the bands of a photo's rows and
// before each decoder) gives nothing.
std::optional<DecodedPixels> PipelinePixels(const std::string& path, const imaging::HeaderFacts& facts,
                                            const DecodeLimit& limit, const ImagingComponent* component,
                                            std::unique_ptr<Gdiplus::Bitmap>& bitmap,
                                            const std::function<bool()>& cancelled = nullptr) {
    const std::wstring widePath = WideFromUtf8(path);
    const auto wanted = [&cancelled] { return !cancelled || !cancelled(); };
    const imaging::SystemDecoders system{
        [&]() -> std::optional<DecodedPixels> {
            if (!wanted()) return std::nullopt;
            return ComponentPixels(widePath, limit, component, facts.profile, cancelled);
        },
        [&]() -> std::optional<std::string> {
            if (!wanted()) return std::nullopt;
            return Win32FileSystem().ReadFile(path);
        },
        [&]() -> std::optional<DecodedPixels> {
            if (!wanted()) return std::nullopt;
            bitmap = DecodedBitmap(widePath, limit);
            return bitmap ? OwnPixels(*bitmap) : std::nullopt;
        },
        [] { return HeifLibrary(); },
        [&] { return !wanted(); }};
    return imaging::DecodeInTurn(facts, limit, system, ScreenDisplay());
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

// The picture as the camera meant it, upright by its orientation tag, before anything else
// sees it.
std::unique_ptr<Image> DecodeImageFile(const std::string& path, const DecodeLimit& limit,
                                       const ImagingComponent* component) {
    const std::optional<imaging::HeaderFacts> facts = path.empty() ? std::nullopt : MayDecode(path, limit);
    if (!facts) return std::make_unique<GdiImage>(nullptr);
    std::unique_ptr<Gdiplus::Bitmap> bitmap;
    if (std::optional<DecodedPixels> own = PipelinePixels(path, *facts, limit, component, bitmap))
        return std::make_unique<GdiImage>(std::move(*own));
    // The decoder's bitmap stays only when memory of our own can't be had, turned by GDI+
    // itself, which numbers the turns as the tag's table does.
    auto image = std::make_unique<GdiImage>(std::move(bitmap));
    // No decoder read it: the view says why, where that is known.
    if (image->Width() <= 0)
        image->SetRefusal(imaging::WhyNotShown(*facts, facts->own != imaging::OwnFormat::Heic || HeifLibrary()));
    if (const std::optional<RotateFlipType> upright = imaging::UprightTurn(facts->orientation))
        image->RotateFlip(*upright);
    return image;
}

std::optional<DecodedPixels> DecodePixels(const std::string& path, const DecodeLimit& limit,
                                         const ImagingComponent* component, const std::function<bool()>& cancelled) {
    const std::optional<imaging::HeaderFacts> facts = path.empty() ? std::nullopt : MayDecode(path, limit);
    std::unique_ptr<Gdiplus::Bitmap> bitmap;
    std::optional<DecodedPixels> pixels =
        facts ? PipelinePixels(path, *facts, limit, component, bitmap, cancelled) : std::nullopt;
    if (cancelled && cancelled()) pixels.reset();
    return pixels;
}

std::unique_ptr<Image> DecodePageFile(const std::string& path, int page, const ImagingComponent* component) {
    const std::optional<imaging::HeaderFacts> facts = MayDecode(path, PictureLimit);
    std::optional<DecodedPixels> pixels;
    // The first page's orientation tag and profile are its own; every page's profile is
    // read with it.
    if (facts && page >= 0) pixels = ComponentPixels(WideFromUtf8(path), PictureLimit, component, {}, nullptr, page);
    if (!pixels) return std::make_unique<GdiImage>(nullptr);
    return std::make_unique<GdiImage>(std::move(*pixels));
}

std::optional<imaging::PreviewPlan> PlanPreview(const std::string& path, const DecodeLimit& limit,
                                                const std::function<Size(Size)>& neededFor) {
    const std::optional<imaging::HeaderFacts> facts = MayDecode(path, limit);
    return facts ? imaging::PlanPreview(*facts, neededFor) : std::nullopt;
}

std::optional<DecodedPixels> DecodePreviewPixels(const std::string& path, const imaging::PreviewPlan& plan) {
    const std::optional<std::string> file = Win32FileSystem().ReadFile(path);
    return file ? imaging::PreviewPixels(*file, plan, ScreenDisplay(), [] { return HeifLibrary(); }) : std::nullopt;
}

}  // namespace zylora::platform::win32
