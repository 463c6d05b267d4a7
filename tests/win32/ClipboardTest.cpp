// The clipboard as other programs read it: the picture's pixels with their alpha in both DIB
// formats and as PNG, and a path as Unicode text.
#include <cstring>

#include "platform/win32/Win32Text.h"
#include "tests/win32/Win32TestSupport.h"

namespace zylora::win32test {
namespace {

class ClipboardTest : public PlatformTest {
protected:
    std::unique_ptr<Window> owner = Form();
    // The clipboard's bytes of the format; empty when it has none.
    std::string Held(UINT format) {
        std::string bytes;
        if (!::OpenClipboard(nullptr)) return bytes;
        if (HANDLE data = ::GetClipboardData(format)) {
            const void* at = ::GlobalLock(data);
            bytes.assign(static_cast<const char*>(at), ::GlobalSize(data));
            ::GlobalUnlock(data);
        }
        ::CloseClipboard();
        return bytes;
    }
};

// Three by two, each pixel of its own colour and alpha.
constexpr std::uint32_t Pixels[6] = {0xFF102030, 0x80405060, 0x00708090, 0x40A0B0C0, 0xC0D0E0F0, 0xFF0000FF};

TEST_F(ClipboardTest, ThePictureGoesAsBothDibsWithItsAlphaAndAsPng) {
    imaging::PixelBuffer buffer;
    buffer.pixels.assign(std::begin(Pixels), std::end(Pixels));
    buffer.width = 3;
    buffer.height = 2;
    ASSERT_TRUE(platform->CopyImageToClipboard(*owner, *platform->ImageOf(buffer)));

    // Rows bottom up after the header, as a DIB of positive height stores them.
    const std::uint32_t bottomUp[6] = {Pixels[3], Pixels[4], Pixels[5], Pixels[0], Pixels[1], Pixels[2]};
    for (const auto& [format, headerSize] : {std::pair<UINT, std::size_t>{CF_DIB, sizeof(BITMAPINFOHEADER)},
                                             std::pair<UINT, std::size_t>{CF_DIBV5, sizeof(BITMAPV5HEADER)}}) {
        const std::string dib = Held(format);
        ASSERT_EQ(dib.size(), headerSize + sizeof bottomUp) << format;
        BITMAPINFOHEADER header;
        std::memcpy(&header, dib.data(), sizeof header);
        EXPECT_EQ(header.biWidth, 3);
        EXPECT_EQ(header.biHeight, 2);
        EXPECT_EQ(header.biBitCount, 32);
        EXPECT_EQ(std::memcmp(dib.data() + headerSize, bottomUp, sizeof bottomUp), 0) << format;
    }
    BITMAPV5HEADER v5;
    std::memcpy(&v5, Held(CF_DIBV5).data(), sizeof v5);
    EXPECT_EQ(v5.bV5AlphaMask, 0xFF000000u);

    // The PNG read back by the decoders gives the same alphas.
    const std::string png = Held(::RegisterClipboardFormatW(L"PNG"));
    ASSERT_EQ(png.compare(0, 8, "\x89PNG\r\n\x1a\n"), 0);
    ScratchFolder folder;
    WriteBytes(folder.File("pasted.png"), png);
    const std::unique_ptr<Image> pasted = platform->DecodeImage(folder.File("pasted.png"));
    ASSERT_EQ(pasted->Width(), 3);
    for (int i = 0; i < 6; ++i) EXPECT_EQ(pasted->AlphaAt(i % 3, i / 3), Pixels[i] >> 24) << i;
}

TEST_F(ClipboardTest, APathGoesAsUnicodeText) {
    const std::string path = "C:\\Fotos\\\xC3\x9C\x62\x65r \xE6\x9D\xB1\xE4\xBA\xAC.jpg";
    ASSERT_TRUE(platform->CopyTextToClipboard(*owner, path));
    const std::wstring wide = win32::WideFromUtf8(path);
    EXPECT_EQ(Held(CF_UNICODETEXT), std::string(reinterpret_cast<const char*>(wide.c_str()), (wide.size() + 1) * 2));
}

}  // namespace
}  // namespace zylora::win32test
