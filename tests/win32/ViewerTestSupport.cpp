#include "tests/win32/ViewerTestSupport.h"

#include <shlobj.h>

#include <algorithm>
#include <cstring>

#include "platform/win32/Win32Imaging.h"
#include "platform/win32/Win32Text.h"

namespace zylora::win32test {

namespace {

// Deletes the folder with everything in it.
void RemoveTree(const std::string& folder) {
    WIN32_FIND_DATAA found;
    HANDLE search = ::FindFirstFileA((folder + "\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const std::string name = found.cFileName;
            if (name == "." || name == "..") continue;
            const std::string path = folder + "\\" + name;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveTree(path);
            else
                ::DeleteFileA(path.c_str());
        } while (::FindNextFileA(search, &found));
        ::FindClose(search);
    }
    ::RemoveDirectoryA(folder.c_str());
}

std::string FolderOf(const std::string& path) { return path.substr(0, path.find_last_of("\\/")); }

// Entries of a positioning batch reach the real windows inside the recorded forms.
class UnwrappingBatch : public PositionBatch {
public:
    explicit UnwrappingBatch(std::unique_ptr<PositionBatch> inner) : inner_(std::move(inner)) {}
    void Add(Window& window, Rect bounds, unsigned flags) override {
        inner_->Add(RecordingPlatform::Unwrap(window), bounds, flags);
    }
    void Commit() override { inner_->Commit(); }

private:
    std::unique_ptr<PositionBatch> inner_;
};

}  // namespace

Argb Presentation::PixelAt(int x, int y) const {
    Gdiplus::Color color;
    if (!pixels || pixels->GetPixel(x, y, &color) != Gdiplus::Ok) return 0;
    return color.GetValue();
}

void RecordedForm::PresentLayered(const Surface& surface, std::uint8_t constantAlpha, std::optional<Point> topLeft) {
    ++last_.count;
    last_.width = surface.Width();
    last_.height = surface.Height();
    last_.constantAlpha = constantAlpha;
    last_.pixels.reset();
    if (Gdiplus::Bitmap* bitmap = platform::win32::BitmapOf(surface))
        last_.pixels.reset(bitmap->Clone(0, 0, last_.width, last_.height, PixelFormat32bppARGB));
    inner_->PresentLayered(surface, constantAlpha, topLeft);
}

std::unique_ptr<PositionBatch> RecordingPlatform::BeginPositionBatch(int windowCount) {
    return std::make_unique<UnwrappingBatch>(real_.BeginPositionBatch(windowCount));
}

Window& RecordingPlatform::Unwrap(Window& window) {
    auto* recorded = dynamic_cast<RecordedForm*>(&window);
    return recorded ? recorded->Inner() : window;
}

const Window& RecordingPlatform::Unwrap(const Window& window) {
    const auto* recorded = dynamic_cast<const RecordedForm*>(&window);
    return recorded ? recorded->Inner() : window;
}

void ViewerTest::SetUp() {
    const std::string exe = recording.ExecutablePath();
    ASSERT_FALSE(exe.empty());
    settingsPath_ = exe.substr(0, exe.rfind('.')) + ".ini";
    const std::string name = "zylora-viewer-test-" + std::to_string(::GetCurrentProcessId());
    root_ = FolderOf(exe) + "\\" + name;
    RemoveTree(root_);
    ASSERT_TRUE(::CreateDirectoryA(root_.c_str(), nullptr)) << root_;
    ASSERT_TRUE(::CreateDirectoryA(SkinFolder().c_str(), nullptr));
    ASSERT_TRUE(::CreateDirectoryA((root_ + "\\buttons").c_str(), nullptr));
    WriteBytes(settingsPath_, "[Placement]\r\nX=100\r\nY=100\r\nWidth=320\r\nHeight=320\r\n"
                              "[Skin]\r\nDir=" + name + "\\skin\r\n"
                              "[Buttons]\r\nDir=" + name + "\\buttons\r\n");
}

void ViewerTest::TearDown() {
    main.reset();  // writes the settings file
    ::DeleteFileA(settingsPath_.c_str());
    RemoveTree(root_);
    EXPECT_EQ(recording.messages, std::vector<std::string>{});
}

void ViewerTest::WriteSkinFile(const std::string& name, const std::string& bytes) {
    WriteBytes(SkinFolder() + "\\" + name, bytes);
}

void ViewerTest::WriteButtonSetFile(const std::string& name, const std::string& bytes) {
    WriteBytes(root_ + "\\buttons\\" + name, bytes);
}

app::TfrmMiddle& ViewerTest::Start() {
    main = std::make_unique<app::TfrmMiddle>(recording);
    return *main;
}

const Presentation& ViewerTest::LastPresentation(skin::TFrameWindow& frame) {
    return dynamic_cast<RecordedForm&>(frame.Form()).Last();
}

namespace {

// GIF takes palette pictures only (Wine's encoder writes no pixels from 32-bit ones): an
// 8-bit indexed bitmap with the picture's own colours, at most 256 of them.
std::unique_ptr<Gdiplus::Bitmap> PalettePicture(int width, int height, Colouring colour) {
    std::vector<Argb> colours;
    std::vector<BYTE> indices;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const Argb c = colour(x, y);
            auto found = std::find(colours.begin(), colours.end(), c);
            if (found == colours.end()) found = colours.insert(colours.end(), c);
            indices.push_back(static_cast<BYTE>(found - colours.begin()));
        }
    if (colours.size() > 256) return nullptr;
    auto bitmap = std::make_unique<Gdiplus::Bitmap>(width, height, PixelFormat8bppIndexed);
    std::vector<unsigned char> paletteBytes(sizeof(Gdiplus::ColorPalette) + 256 * sizeof(Gdiplus::ARGB));
    auto* palette = reinterpret_cast<Gdiplus::ColorPalette*>(paletteBytes.data());
    palette->Flags = 0;
    palette->Count = static_cast<UINT>(colours.size());
    for (std::size_t i = 0; i < colours.size(); ++i) palette->Entries[i] = colours[i];
    bitmap->SetPalette(palette);
    Gdiplus::BitmapData data{};
    Gdiplus::Rect all(0, 0, width, height);
    if (bitmap->LockBits(&all, Gdiplus::ImageLockModeWrite, PixelFormat8bppIndexed, &data) != Gdiplus::Ok)
        return nullptr;
    for (int y = 0; y < height; ++y)
        std::memcpy(static_cast<BYTE*>(data.Scan0) + y * data.Stride, &indices[y * width], width);
    bitmap->UnlockBits(&data);
    return bitmap;
}

}  // namespace

void WritePicture(const std::string& path, int width, int height, const std::string& mimeType,
                  Colouring colour) {
    std::unique_ptr<Gdiplus::Bitmap> owned;
    if (mimeType == "image/gif") {
        owned = PalettePicture(width, height, colour);
        ASSERT_NE(owned, nullptr) << "more than 256 colours for a GIF";
    } else {
        owned = std::make_unique<Gdiplus::Bitmap>(width, height, PixelFormat32bppARGB);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) owned->SetPixel(x, y, Gdiplus::Color(colour(x, y)));
    }
    Gdiplus::Bitmap& bitmap = *owned;
    UINT count = 0, bytes = 0;
    Gdiplus::GetImageEncodersSize(&count, &bytes);
    std::vector<unsigned char> buffer(bytes);
    auto* encoders = reinterpret_cast<Gdiplus::ImageCodecInfo*>(buffer.data());
    Gdiplus::GetImageEncoders(count, bytes, encoders);
    const std::wstring mime = platform::win32::WideFromUtf8(mimeType);
    for (UINT i = 0; i < count; ++i) {
        if (mime != encoders[i].MimeType) continue;
        const std::wstring wide = platform::win32::WideFromUtf8(path);
        ASSERT_EQ(bitmap.Save(wide.c_str(), &encoders[i].Clsid, nullptr), Gdiplus::Ok) << path;
        return;
    }
    FAIL() << "no encoder for " << mimeType;
}

void SendDrop(HWND window, const std::vector<std::string>& names, POINT at) {
    std::wstring list;
    for (const std::string& name : names) list += platform::win32::WideFromUtf8(name) + L'\0';
    list += L'\0';
    // DragQueryFile steps over the first string before it looks for the end: an empty list
    // needs both zeros, or it reads past the block.
    if (names.empty()) list += L'\0';
    const std::size_t bytes = list.size() * sizeof(wchar_t);
    HGLOBAL memory = ::GlobalAlloc(GHND, sizeof(DROPFILES) + bytes);
    ASSERT_NE(memory, nullptr);
    auto* drop = static_cast<DROPFILES*>(::GlobalLock(memory));
    drop->pFiles = sizeof(DROPFILES);
    drop->pt = at;
    drop->fNC = FALSE;
    drop->fWide = TRUE;
    std::memcpy(reinterpret_cast<char*>(drop) + sizeof(DROPFILES), list.data(), bytes);
    ::GlobalUnlock(memory);
    ::SendMessageA(window, WM_DROPFILES, reinterpret_cast<WPARAM>(memory), 0);
}

bool SamePixels(const Image& a, const Image& b) {
    const std::uint32_t* pa = win32::PixelsOf(a);
    const std::uint32_t* pb = win32::PixelsOf(b);
    return a.Width() == b.Width() && a.Height() == b.Height() && pa && pb &&
           std::memcmp(pa, pb, static_cast<std::size_t>(a.Width()) * a.Height() * 4) == 0;
}

}  // namespace zylora::win32test
