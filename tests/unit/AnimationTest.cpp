// Animations: frames composed by their disposal and blending, played at their delays for
// their plays, and read from GIF and APNG files; damaged files give what they hold.
#include <gtest/gtest.h>
#include <stb_image_write.h>

#include <string>
#include <vector>

#include "imaging/Animation.h"
#include "imaging/AnimationFormats.h"
#include "tests/unit/Harness.h"
#include "tests/unit/PictureFiles.h"

namespace zylora::testing {
namespace {

using namespace imaging;

constexpr std::uint32_t R = 0xffff0000, G = 0xff00ff00, B = 0xff0000ff, T = 0;

StoredFrame Frame(int left, int top, int width, int height, std::uint32_t colour, Disposal disposal,
                  Blend blend = Blend::Over, int delay = 50) {
    StoredFrame f{left, top, {PixelWords(static_cast<std::size_t>(width) * height, colour), width, height}, delay,
                  disposal, blend};
    return f;
}

class Frames : public FrameSource {
public:
    Frames(Size canvas, int plays, std::vector<StoredFrame> frames)
        : canvas_(canvas), plays_(plays), frames_(std::move(frames)) {}
    Size Canvas() const override { return canvas_; }
    int Plays() const override { return plays_; }
    void Rewind() override { next_ = 0; }
    std::optional<StoredFrame> Next() override {
        if (next_ >= frames_.size()) return std::nullopt;
        return frames_[next_++];
    }

private:
    Size canvas_;
    int plays_;
    std::vector<StoredFrame> frames_;
    std::size_t next_ = 0;
};

// The canvas's top row, 4 pixels wide.
std::vector<std::uint32_t> Row(const Animation& a) { return {a.Frame().pixels.begin(), a.Frame().pixels.begin() + 4}; }

TEST(AnimationTest, EachFramesDisposalAndBlendingDecideWhatTheNextOneIsDrawnOver) {
    struct Case {
        const char* name;
        StoredFrame first, second;
        std::vector<std::uint32_t> afterSecond;
    };
    const StoredFrame red = Frame(0, 0, 4, 1, R, Disposal::Keep);
    const Case cases[] = {
        {"kept", Frame(0, 0, 2, 1, G, Disposal::Keep), Frame(2, 0, 1, 1, B, Disposal::Keep), {G, G, B, R}},
        {"cleared", Frame(0, 0, 2, 1, G, Disposal::Clear), Frame(2, 0, 1, 1, B, Disposal::Keep), {T, T, B, R}},
        {"given back", Frame(0, 0, 2, 1, G, Disposal::Restore), Frame(2, 0, 1, 1, B, Disposal::Keep), {R, R, B, R}},
        {"replaced by transparent", Frame(0, 0, 2, 1, G, Disposal::Keep),
         Frame(1, 0, 2, 1, T, Disposal::Keep, Blend::Replace), {G, T, T, R}},
        {"transparent over", Frame(0, 0, 2, 1, G, Disposal::Keep), Frame(1, 0, 2, 1, T, Disposal::Keep), {G, G, R, R}},
        {"half over", Frame(0, 0, 2, 1, G, Disposal::Keep), Frame(3, 0, 1, 1, 0x800000ff, Disposal::Keep),
         {G, G, R, 0xff7f0080}},
        {"partly outside the canvas", Frame(-1, -1, 2, 2, G, Disposal::Keep), Frame(3, 0, 9, 9, B, Disposal::Keep),
         {G, R, R, B}},
        {"wholly outside", Frame(9, 9, 2, 2, G, Disposal::Clear), Frame(-5, 0, 2, 1, B, Disposal::Keep), {R, R, R, R}},
    };
    for (const Case& c : cases) {
        Animation a(std::make_unique<Frames>(Size{4, 2}, 0, std::vector{red, c.first, c.second}));
        ASSERT_TRUE(a.Advance() && a.Advance()) << c.name;
        EXPECT_EQ(Row(a), c.afterSecond) << c.name;
    }
}

TEST(AnimationTest, PlaysDelaysAndStepsBackAndForth) {
    const auto three = [](int plays) {
        return std::make_unique<Frames>(Size{4, 1}, plays,
                                        std::vector{Frame(0, 0, 1, 1, R, Disposal::Keep, Blend::Over, 0),
                                                    Frame(1, 0, 1, 1, G, Disposal::Keep, Blend::Over, 10),
                                                    Frame(2, 0, 1, 1, B, Disposal::Keep, Blend::Over, 250)});
    };
    Animation twice(three(2));
    std::vector<int> delays{twice.DelayMs()};
    while (twice.Advance()) delays.push_back(twice.DelayMs());
    EXPECT_EQ(delays, (std::vector{100, 100, 250, 100, 100, 250})) << "10 ms or less shows for 100 ms";
    EXPECT_TRUE(twice.Over());
    EXPECT_EQ(twice.Index(), 2);
    EXPECT_TRUE(twice.Advance(/*byHand=*/true)) << "a step by hand goes on after the plays";
    EXPECT_EQ(Row(twice), (std::vector{R, T, T, T})) << "the first frame, on a fresh canvas";

    Animation stepped(three(0));
    ASSERT_TRUE(stepped.Back());
    EXPECT_EQ(stepped.Index(), 2) << "from the first back to the last";
    EXPECT_EQ(Row(stepped), (std::vector{R, G, B, T}));
    ASSERT_TRUE(stepped.Back());
    EXPECT_EQ(Row(stepped), (std::vector{R, G, T, T})) << "composed again from the start";
    ASSERT_TRUE(stepped.Advance());
    EXPECT_EQ(stepped.Index(), 2);
}

// A GIF written here: each frame's LZW data a clear code before every two indices, which
// keeps the code size at 3 bits (2-bit colours).
std::string Gif(int loops, const std::vector<std::vector<int>>& frames, int width, bool cutLast = false) {
    std::string g = "GIF89a";
    const auto word = [&](int v) { g += static_cast<char>(v & 255), g += static_cast<char>(v >> 8); };
    word(width), word(1);
    g += "\x81";
    g += std::string("\0\0", 2);
    g += std::string("\xff\x00\x00\x00\xff\x00\x00\x00\xff\x00\x00\x00", 12);  // red, green, blue, black
    if (loops >= 0) g += std::string("\x21\xff\x0bNETSCAPE2.0\x03\x01", 16), word(loops), g += '\0';
    for (const std::vector<int>& indices : frames) {
        g += std::string("\x21\xf9\x04\x09", 4), word(5), g += "\x03", g += '\0';  // transparent 3, cleared
        g += '\x2c', word(0), word(0), word(static_cast<int>(indices.size())), word(1), g += '\0';
        g += '\x02';
        std::vector<int> codes;
        for (std::size_t i = 0; i < indices.size(); ++i) {
            if (i % 2 == 0) codes.push_back(4);
            codes.push_back(indices[i]);
        }
        codes.push_back(5);
        std::string data;
        int bits = 0, count = 0;
        for (const int c : codes) {
            bits |= c << count;
            count += 3;
            while (count >= 8) data += static_cast<char>(bits & 255), bits >>= 8, count -= 8;
        }
        if (count > 0) data += static_cast<char>(bits);
        g += static_cast<char>(data.size()) + data + '\0';
    }
    if (cutLast) g.resize(g.size() - 3);
    g += ';';
    return g;
}

TEST(AnimationTest, GifFramesTheirTransparencyDisposalAndLoops) {
    const std::string gif = Gif(1, {{0, 1, 3, 2}, {3, 2, 1, 0}}, 4);
    std::unique_ptr<Animation> a = Animation::Open(gif, PictureLimit);
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(Row(*a), (std::vector{R, G, T, B}));
    EXPECT_EQ(a->DelayMs(), 50);
    ASSERT_TRUE(a->Advance());
    EXPECT_EQ(Row(*a), (std::vector{T, B, G, R})) << "the first frame cleared before the second";
    int shown = 2;
    while (a->Advance()) ++shown;
    EXPECT_EQ(shown, 4) << "a loop count of 1 plays twice";

    EXPECT_EQ(Animation::Open(Gif(-1, {{0, 1, 2, 0}}, 4), PictureLimit), nullptr) << "one frame is a still";
    std::unique_ptr<Animation> cut = Animation::Open(Gif(0, {{0, 1, 2, 0}, {2, 2, 2, 2}}, 4, true), PictureLimit);
    ASSERT_NE(cut, nullptr) << "a file cut short in its second frame";
    EXPECT_TRUE(cut->Advance());
    EXPECT_EQ(Animation::Open(Gif(0, {{0, 1}, {1, 0}}, 2), DecodeLimit{1, 1}), nullptr) << "beyond the limit";
}

std::string Png(int width, const std::vector<std::uint32_t>& argb) {
    std::vector<unsigned char> rgba;
    for (const std::uint32_t p : argb)
        rgba.insert(rgba.end(), {static_cast<unsigned char>(p >> 16), static_cast<unsigned char>(p >> 8),
                                 static_cast<unsigned char>(p), static_cast<unsigned char>(p >> 24)});
    std::string bytes;
    stbi_write_png_to_func(
        [](void* to, void* data, int size) { static_cast<std::string*>(to)->append(static_cast<char*>(data), size); },
        &bytes, width, 1, 4, rgba.data(), width * 4);
    return bytes;
}

// An APNG of the frames' PNGs: the first's header, an acTL, then each frame's fcTL and data.
std::string Apng(const std::vector<std::pair<std::string, std::string>>& framesAndControls) {
    const auto chunk = [](const std::string& type, const std::string& data) {
        std::string c;
        for (int s = 24; s >= 0; s -= 8) c += static_cast<char>((data.size() >> s) & 255);
        return c + type + data + "CRC!";  // the reader checks no CRC
    };
    const auto idat = [](const std::string& png) {
        std::string data;
        for (std::size_t at = 8; at + 12 <= png.size();) {
            const std::size_t n = (std::size_t{static_cast<unsigned char>(png[at])} << 24) |
                                  (static_cast<unsigned char>(png[at + 1]) << 16) |
                                  (static_cast<unsigned char>(png[at + 2]) << 8) | static_cast<unsigned char>(png[at + 3]);
            if (png.compare(at + 4, 4, "IDAT") == 0) data += png.substr(at + 8, n);
            at += 12 + n;
        }
        return data;
    };
    const std::string& first = framesAndControls.front().first;
    std::string a = first.substr(0, 33) + chunk("acTL", std::string("\0\0\0", 3) + static_cast<char>(framesAndControls.size()) +
                                                           std::string(4, '\0'));
    for (std::size_t i = 0; i < framesAndControls.size(); ++i) {
        a += chunk("fcTL", framesAndControls[i].second);
        a += i == 0 ? chunk("IDAT", idat(framesAndControls[i].first))
                    : chunk("fdAT", std::string(4, '\0') + idat(framesAndControls[i].first));
    }
    return a + chunk("IEND", "");
}

// fcTL's data: sequence, width, height, x, y (4 bytes each), delay 1/10 s, disposal, blending.
std::string Control(int width, int x, int disposal, int blend) {
    std::string c(26, '\0');
    c[7] = static_cast<char>(width), c[11] = 1, c[15] = static_cast<char>(x);
    c[21] = 1, c[23] = 10, c[24] = static_cast<char>(disposal), c[25] = static_cast<char>(blend);
    return c;
}

TEST(AnimationTest, ApngFramesAreDecodedAndComposed) {
    const std::string apng = Apng({{Png(4, {R, R, R, R}), Control(4, 0, 0, 0)},
                                   {Png(2, {G, 0x00000000}), Control(2, 1, 0, 1)},
                                   {Png(1, {B}), Control(1, 3, 0, 0)}});
    std::unique_ptr<Animation> a = Animation::Open(apng, PictureLimit);
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(Row(*a), (std::vector{R, R, R, R}));
    EXPECT_EQ(a->DelayMs(), 100);
    ASSERT_TRUE(a->Advance() && a->Advance());
    EXPECT_EQ(Row(*a), (std::vector{R, G, R, B}));
    EXPECT_EQ(Animation::Open(Png(2, {R, G}), PictureLimit), nullptr) << "a still PNG";
    // It plays for ever: a few rounds of what a cut file holds.
    for (std::size_t cut = 0; cut < apng.size(); cut += 7)
        if (std::unique_ptr<Animation> part = Animation::Open(apng.substr(0, cut), PictureLimit))
            for (int i = 0; i < 8 && part->Advance(); ++i) {
            }
}

// Played in the viewer: the frames take the picture's place at their delays; P pauses, the
// frame keys step while paused, a turn keeps the frame shown as a still, and a step to
// another picture stops the animation read for the one left.
using AnimationPlayerTest = ViewerTest;

TEST_F(AnimationPlayerTest, AnAnimatedGifPlaysPausesStepsAndStopsAtATurn) {
    const std::string gif = "C:\\p\\a.gif";
    platform.AddImage(gif, 4, 1);
    platform.images.at(gif).animated = true;
    platform.files.files[gif] = Gif(0, {{0, 1, 3, 2}, {3, 2, 1, 0}}, 4);
    platform.deferBackground = true;
    app::TfrmMiddle& m = Start();
    m.OpenFile(gif);
    const auto alphas = [&] {
        std::string a;
        for (int x = 0; x < 4; ++x) a += m.Picture->AlphaAt(x, 0) == 255 ? '#' : '.';
        return a;
    };
    const auto tick = [&] {
        for (fake::FakeTimer* t : platform.timers)
            if (t->Enabled() && t->interval == 50) return t->Tick(), true;
        return false;
    };
    EXPECT_EQ(alphas(), "####") << "the still first frame until the animation is read";
    platform.RunBackground();
    EXPECT_EQ(alphas(), "##.#");
    ASSERT_TRUE(tick()) << "a timer at the frame's delay";
    EXPECT_EQ(alphas(), ".###");
    m.FormKeyDown(platform::keys::P, {});
    EXPECT_FALSE(tick()) << "paused";
    m.FormKeyDown(platform::keys::Period, {});
    EXPECT_EQ(alphas(), "##.#");
    m.FormKeyDown(platform::keys::Comma, {});
    EXPECT_EQ(alphas(), ".###");
    m.FormKeyDown(platform::keys::P, {});
    m.FormKeyDown(platform::keys::PageDown, {false, true, false});
    EXPECT_EQ(alphas(), "##.#") << "the page keys pause and step frames";
    EXPECT_FALSE(tick());
    m.FormKeyDown(platform::keys::PageUp, {false, true, false});
    EXPECT_EQ(alphas(), ".###");
    m.FormKeyDown(platform::keys::P, {});
    ASSERT_TRUE(tick()) << "playing again";
    m.RunCommand("mirrorx");
    EXPECT_FALSE(tick()) << "a turn stops it";
    EXPECT_EQ(alphas(), "##.#") << "the frame shown stays";

    m.OpenFile(gif);
    m.OpenFile("C:\\p\\still.gif");
    platform.RunBackground();
    EXPECT_FALSE(tick()) << "the animation of the picture left is dropped";
}

// An animated WebP's frames come through libwebp's demuxer, each placed on the canvas.
TEST(AnimationTest, WebpFramesPlay) {
    std::unique_ptr<Animation> a =
        Animation::Open(AnimatedWebpFile(2, 1, {{255, 0, 0, 255, 255, 0, 0, 255}, {255, 0, 0, 255, 0, 0, 255, 255}}),
                        PictureLimit);
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a->Frame().pixels[1], R);
    EXPECT_EQ(a->DelayMs(), 100);
    ASSERT_TRUE(a->Advance());
    EXPECT_EQ(a->Frame().pixels[0], R);
    EXPECT_EQ(a->Frame().pixels[1], B);
}

// The header says whether a picture is an animation, so a still one costs no second read.
TEST(AnimationTest, TheHeaderTellsAnAnimationFromAStill) {
    const std::pair<std::string, bool> files[] = {
        {Gif(0, {{0, 1}, {1, 0}}, 2), true},
        {Gif(-1, {{0, 1}}, 2), false},
        {Apng({{Png(1, {R}), Control(1, 0, 0, 0)}, {Png(1, {G}), Control(1, 0, 0, 0)}}), true},
        {Png(2, {R, G}), false},
        {"GIF89a", false},
        {AnimatedWebpFile(1, 1, {{255, 0, 0, 255}, {0, 0, 255, 255}}), true},
        {WebpFile(1, 1, {255, 0, 0, 255}, true), false},
    };
    for (const auto& [bytes, animated] : files)
        EXPECT_EQ(DeclaresAnimation([&bytes](std::uint64_t at, std::size_t n) {
                      return at < bytes.size() ? bytes.substr(at, n) : std::string();
                  }),
                  animated)
            << bytes.substr(0, 4);
}

}  // namespace
}  // namespace zylora::testing
