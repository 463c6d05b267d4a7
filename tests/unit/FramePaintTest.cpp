// What the frame windows draw on their surfaces, per size and state.
#include <algorithm>
#include <functional>
#include <utility>

#include "tests/unit/Harness.h"

namespace zylora::testing {
namespace {

using skin::CaptionButton;

class FramePaintTest : public ViewerTest {
protected:
    std::string Skin(const std::string& name) { return std::string(SkinPath) + name; }
    const std::vector<std::string>& LastDraws(skin::TFrameWindow& frame) {
        return FormOf(frame).presentations.back().draws;
    }
};

TEST_F(FramePaintTest, BottomStretchesOneImageAcrossAndRepeatsItDownwards) {
    platform.AddImage(Skin("bottom.png"), 200, 10);
    Start();
    main->BottomFrame->PaintEdge(600, 25);
    EXPECT_EQ(LastDraws(*main->BottomFrame),
              (std::vector<std::string>{"pixel offset half",
                                        "texture " + Skin("bottom.png") + " scale 3,1 area 0,0,600,25"}));
    EXPECT_EQ(FormOf(*main->BottomFrame).bounds.width, 600);
}

TEST_F(FramePaintTest, TheShownLooksImagesAreDecodedAheadAtStartOthersAtFirstUseAndAgainOnlyForASkinChosen) {
    platform.AddImage(Skin("bottom.png"), 200, 10);
    Start();
    auto decodes = [&] {
        return std::count(platform.log.begin(), platform.log.end(), "decode " + Skin("bottom.png"));
    };
    EXPECT_EQ(decodes(), 1) << "the look the first frame shows, at the start";
    EXPECT_GT(LogIndex("decode " + Skin("bottom.png")), LogIndex("decode ahead"));
    main->BottomFrame->PaintEdge(600, 25);
    main->BottomFrame->PaintEdge(601, 25);
    platform.files.modified[Skin("bottom.png")] = 7;  // the author saved it again
    main->BottomFrame->PaintEdge(602, 25);
    EXPECT_EQ(decodes(), 1) << "taken as it was at its first use";
    EXPECT_EQ(std::count(platform.log.begin(), platform.log.end(), "decode " + Skin("inactive_bottom.png")), 0)
        << "a look not yet shown";
    for (int twice = 0; twice < 2; ++twice) main->FrameImages.Preload({Skin("inactive_bottom.png")});
    main->FrameImages.Get(Skin("inactive_bottom.png"));
    EXPECT_EQ(std::count(platform.log.begin(), platform.log.end(), "decode " + Skin("inactive_bottom.png")), 1)
        << "asked for again while it decodes";
    main->LoadSkin();
    main->BottomFrame->PaintEdge(603, 25);
    EXPECT_EQ(decodes(), 2);
    // A skin chosen again while the last choice's images still decode: those are dropped.
    platform.AddImage(Skin("bottom.png"), 300, 10);
    main->LoadSkin();
    platform.AddImage(Skin("bottom.png"), 400, 10);
    main->LoadSkin();
    main->BottomFrame->PaintEdge(800, 25);
    EXPECT_EQ(LastDraws(*main->BottomFrame).back(), "texture " + Skin("bottom.png") + " scale 2,1 area 0,0,800,25");
}

TEST_F(FramePaintTest, ARenderOfWhatTheFrameShowsAlreadyPresentsNothing) {
    Start();
    auto presents = [&](skin::TFrameWindow& frame) { return FormOf(frame).presentations.size(); };
    skin::TfrmBottom& bottom = *main->BottomFrame;
    skin::TfrmTop& title = *main->TopFrame;
    bottom.RenderAt(600, 25);
    title.RenderAt(620, 30);
    const std::size_t edge = presents(bottom), top = presents(title);
    bottom.RenderAt(600, 25);
    title.RenderAt(620, 30);
    EXPECT_EQ(presents(bottom), edge);
    EXPECT_EQ(presents(title), top);
    // Each of these changes what shows, and renders again.
    const std::pair<const char*, std::function<void()>> changes[] = {
        {"another size", [&] { bottom.RenderAt(601, 25); title.RenderAt(621, 30); }},
        {"the inactive look", [&] { main->Active = false; }},
        {"another caption", [&] { main->Form().SetCaption("photo.jpg"); }},
        {"the same skin chosen again", [&] { main->LoadSkin(); }},
    };
    for (const auto& [what, change] : changes) {
        SCOPED_TRACE(what);
        const std::size_t edgeBefore = presents(bottom), topBefore = presents(title);
        change();
        bottom.RenderAt(601, 25);
        title.RenderAt(621, 30);
        EXPECT_EQ(presents(title), topBefore + 1);
        if (std::string(what) != "another caption") EXPECT_EQ(presents(bottom), edgeBefore + 1);
    }
}

TEST_F(FramePaintTest, InactiveEdgesUseTheirOwnImages) {
    platform.AddImage(Skin("inactive_bottom.png"), 100, 4);
    Start();
    main->Active = false;
    main->BottomFrame->PaintEdge(50, 4);
    EXPECT_EQ(LastDraws(*main->BottomFrame).back(),
              "texture " + Skin("inactive_bottom.png") + " scale 0.5,1 area 0,0,50,4");
}

TEST_F(FramePaintTest, AMissingBottomImageDrawsNothing) {
    Start();
    main->BottomFrame->PaintEdge(600, 25);
    EXPECT_EQ(LastDraws(*main->BottomFrame), (std::vector<std::string>{"pixel offset half"}));
}

TEST_F(FramePaintTest, SideWindowsTileTheMiddleAboveTheBottomPiece) {
    platform.AddImage(Skin("left_bottom.png"), 8, 20);
    platform.AddImage(Skin("left_middle.png"), 8, 50);
    platform.AddImage(Skin("right_bottom.png"), 6, 30);
    Start();
    main->LeftFrame->PaintEdge(8, 300);
    EXPECT_EQ(LastDraws(*main->LeftFrame),
              (std::vector<std::string>{"image " + Skin("left_bottom.png") + " 0,280,8,20",
                                        "texture " + Skin("left_middle.png") + " scale 1,1 area 0,0,8,280"}));
    main->RightFrame->PaintEdge(12, 100);  // the piece is stretched to the window's width
    EXPECT_EQ(LastDraws(*main->RightFrame).front(), "image " + Skin("right_bottom.png") + " 0,70,12,30");
}

TEST_F(FramePaintTest, AWindowLowerThanItsBottomPieceShowsThePieceCut) {
    platform.AddImage(Skin("left_bottom.png"), 8, 20);
    platform.AddImage(Skin("left_middle.png"), 8, 50);
    Start();
    main->LeftFrame->PaintEdge(8, 12);
    EXPECT_EQ(LastDraws(*main->LeftFrame),
              (std::vector<std::string>{"image " + Skin("left_bottom.png") + " 0,-8,8,20"}));
}

TEST_F(FramePaintTest, NoExtentPresentsNothingAndDecodesNothing) {
    Start();
    platform.log.clear();
    main->LeftFrame->PaintEdge(0, 300);
    main->BottomFrame->PaintEdge(300, -4);
    main->TopFrame->PaintTitle(-10, 30);
    EXPECT_EQ(LogIndex("decode"), -1);
    EXPECT_TRUE(LastDraws(*main->LeftFrame).empty());
    EXPECT_EQ(FormOf(*main->BottomFrame).bounds.height, 0);
}

TEST_F(FramePaintTest, TitleStripAnchorsItsMiddleTextureAtTheOrigin) {
    platform.AddImage(Skin("left_top.png"), 30, 24);
    platform.AddImage(Skin("right_top.png"), 30, 24);
    platform.AddImage(Skin("top.png"), 10, 24);
    Start();
    main->TopFrame->PaintTitle(200, 24);
    const auto& draws = LastDraws(*main->TopFrame);
    ASSERT_GE(draws.size(), 3u);
    EXPECT_EQ(draws[0], "image " + Skin("left_top.png") + " 0,0,30,24");
    EXPECT_EQ(draws[1], "image " + Skin("right_top.png") + " 170,0,30,24");
    EXPECT_EQ(draws[2], "texture " + Skin("top.png") + " scale 14,1 area 30,0,140,24");
}

TEST_F(FramePaintTest, TitleVariantsPickTheirStripPrefix) {
    Start();
    const std::vector<std::pair<bool, bool>> states = {{true, false}, {false, false}, {true, true}, {false, true}};
    const std::vector<std::string> prefixes = {"", "inactive_", "rolled_", "rolled_inactive_"};
    for (std::size_t i = 0; i < states.size(); ++i) {
        main->Active = states[i].first;
        main->RolledUp = states[i].second;
        main->TopFrame->PaintTitle(100, 20);
        const std::vector<std::string>& draws = LastDraws(*main->TopFrame);
        EXPECT_TRUE(std::any_of(draws.begin(), draws.end(), [&](const std::string& d) {
            return d.rfind("image " + Skin(prefixes[i] + "left_top.png"), 0) == 0;
        })) << prefixes[i];
        EXPECT_EQ(main->TopFrame->PaintedActive, states[i].first);
    }
}

TEST_F(FramePaintTest, CaptionIsLaidOutInPercentOfTheSurface) {
    WriteSkin("[Caption]\nText=Holiday\nX=10\nY=-20\nWidth=150\nHeight=50\nFontName=Tahoma\n"
              "FontSize=18\nFontStyle=3\nHorAlign=2\nVerAlign=0\nColorA=128\nColorR=255\n"
              "ColorG=0\nColorB=0\n");
    Start();
    main->TopFrame->PaintTitle(500, 40);
    const auto& draws = LastDraws(*main->TopFrame);
    const auto text = std::find_if(draws.begin(), draws.end(),
                                   [](const std::string& d) { return d.rfind("text", 0) == 0; });
    ASSERT_NE(text, draws.end());
    EXPECT_EQ(*(text - 1), "antialias on");
    EXPECT_EQ(*text, "text 'Holiday' font Tahoma style 3 size 18 align 2,0 layout 50,-8,750,20 color " +
                         std::to_string(0x80FF0000u));
}

TEST_F(FramePaintTest, CaptionButtonsSitAtTheirAnchors) {
    WriteSkin("[Buttons]\nCloseAlign=2\nCloseX=-20\nCloseY=3\nMinAlign=1\nMinX=-8\nRollX=5\n");
    platform.AddImage(Skin("active_close.png"), 16, 14);
    platform.AddImage(Skin("active_min.png"), 16, 14);
    platform.AddImage(Skin("mouseover_Roll.png"), 12, 12);
    platform.AddImage(Skin("inactive_Roll.png"), 11, 11);
    Start();
    skin::TfrmTop& top = *main->TopFrame;
    top.HoverButton = static_cast<int>(CaptionButton::Roll);
    top.PaintTitle(301, 30);
    std::vector<std::string> buttons;
    for (const std::string& d : LastDraws(top))
        if (d.find(".png") != std::string::npos && d.find("_top") == std::string::npos &&
            d.find("top.png") == std::string::npos)
            buttons.push_back(d);
    EXPECT_EQ(buttons, (std::vector<std::string>{"image " + Skin("active_close.png") + " 281,3,16,14",
                                                 "image " + Skin("active_min.png") + " 142,0,16,14",
                                                 "image " + Skin("mouseover_Roll.png") + " 5,0,12,12"}));
    // Inactive: the inactive image, never the highlight.
    main->Active = false;
    top.PaintTitle(301, 30);
    EXPECT_EQ(LastDraws(top).back(), "image " + Skin("inactive_Roll.png") + " 5,0,11,11");
}

TEST_F(FramePaintTest, TitleIsPresentedWithItsConstantAlphaAndTakesTheSize) {
    Start();
    skin::TfrmTop& top = *main->TopFrame;
    top.TitleAlpha = 128;
    top.PaintTitle(320, 28);
    EXPECT_EQ(FormOf(top).presentations.back().alpha, 128);
    EXPECT_EQ(FormOf(top).bounds.width, 320);
    const std::size_t count = FormOf(top).presentations.size();
    top.FormCanResize({320, 28});  // unchanged size
    top.Sizing = true;
    top.FormCanResize({400, 28});  // while a paint applies its size
    top.Sizing = false;
    EXPECT_EQ(FormOf(top).presentations.size(), count);
    top.FormCanResize({400, 28});
    EXPECT_EQ(FormOf(top).presentations.size(), count + 1);
}

TEST_F(FramePaintTest, AbsurdSkinValuesPaintWithoutFailing) {
    WriteSkin("[Caption]\nFontSize=100000\nX=-100000\nWidth=2147483647\n"
              "[Buttons]\nCloseAlign=2\nCloseX=2147483647\n");
    platform.AddImage(Skin("active_close.png"), 16, 14);
    platform.AddImage(Skin("top.png"), 1, 1);
    Start();
    main->TopFrame->PaintTitle(2147483647, 30);
    main->TopFrame->PaintTitle(30, 2147483647);
    EXPECT_EQ(LastDraws(*main->TopFrame).back(),
              "image " + Skin("active_close.png") + " 2147483647,0,16,14");
}

}  // namespace
}  // namespace zylora::testing
