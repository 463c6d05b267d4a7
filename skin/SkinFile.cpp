#include "skin/SkinFile.h"

#include "platform/Dpi.h"

namespace zylora::skin {

namespace {

int Index(TitleVariant v) { return static_cast<int>(v); }

app::FrameMetrics ReadMetrics(const platform::IniFile& f) {
    app::FrameMetrics m;
    m.LeftWidth = f.ReadInteger("left", "Width", 0);
    m.LeftInactiveWidth = f.ReadInteger("left", "InActiveWidth", 0);
    m.TopHeight = f.ReadInteger("top", "Height", 0);
    m.TopInactiveHeight = f.ReadInteger("top", "InActiveHeight", 0);
    m.TopRolledUpHeight = f.ReadInteger("top", "RolledUpHeight", 0);
    m.TopRolledUpInactiveHeight = f.ReadInteger("top", "RolledUpInActiveHeight", 0);
    m.RightWidth = f.ReadInteger("right", "Width", 0);
    m.RightInactiveWidth = f.ReadInteger("right", "InActiveWidth", 0);
    m.BottomHeight = f.ReadInteger("bottom", "Height", 0);
    m.BottomInactiveHeight = f.ReadInteger("bottom", "InActiveHeight", 0);
    return m;
}

ResizeBorders ReadBorders(const platform::IniFile& f, const std::string& section, bool corner) {
    ResizeBorders b;
    b.ResizeBorder1 = f.ReadInteger(section, "ResizeBorder1", 0);
    b.ResizeBorder2 = f.ReadInteger(section, "ResizeBorder2", 0);
    if (corner) {
        b.ResizeBorder3 = f.ReadInteger(section, "ResizeBorder3", 0);
        b.ResizeBorder4 = f.ReadInteger(section, "ResizeBorder4", 0);
    }
    return b;
}

TitleValues ReadTitle(const platform::IniFile& f) {
    TitleValues t;
    const std::string c = "Caption";
    t.FontName = f.ReadString(c, "FontName", "Lucida Sans Unicode");
    t.FontSize = f.ReadInteger(c, "FontSize", 14);
    t.FontStyle = f.ReadInteger(c, "FontStyle", 0);
    t.HorAlign = f.ReadInteger(c, "HorAlign", 1);
    t.VerAlign = f.ReadInteger(c, "VerAlign", 2);

    // Each state's rectangle falls back to the one read before it: inactive and rolled up to
    // the base rectangle, rolled-up inactive to the rolled-up one.
    auto readRect = [&](TitleVariant v, const CaptionRectPercent& fallback) {
        const std::string prefix = StateWords[static_cast<std::size_t>(Index(v))];
        CaptionRectPercent r;
        r.X = f.ReadInteger(c, prefix + "X", fallback.X);
        r.Y = f.ReadInteger(c, prefix + "Y", fallback.Y);
        r.Width = f.ReadInteger(c, prefix + "Width", fallback.Width);
        r.Height = f.ReadInteger(c, prefix + "Height", fallback.Height);
        return r;
    };
    auto& rect = t.CaptionRect;
    rect[Index(TitleVariant::Active)] = readRect(TitleVariant::Active, CaptionRectPercent{0, 0, 100, 100});
    rect[Index(TitleVariant::RolledUp)] = readRect(TitleVariant::RolledUp, rect[Index(TitleVariant::Active)]);
    rect[Index(TitleVariant::Inactive)] = readRect(TitleVariant::Inactive, rect[Index(TitleVariant::Active)]);
    rect[Index(TitleVariant::RolledUpInactive)] =
        readRect(TitleVariant::RolledUpInactive, rect[Index(TitleVariant::RolledUp)]);

    const int b = f.ReadInteger(c, "ColorB", 255);
    const int g = f.ReadInteger(c, "ColorG", 255);
    const int r = f.ReadInteger(c, "ColorR", 255);
    const int a = f.ReadInteger(c, "ColorA", 255);
    t.CaptionColor = platform::MakeArgb(a, r, g, b);

    // Button placements: unlike the caption rectangles, the rolled-up inactive placement
    // falls back to the inactive one.
    const std::string s = "Buttons";
    auto& place = t.ButtonPlace;
    const int base = Index(TitleVariant::Active), inactive = Index(TitleVariant::Inactive),
              rolled = Index(TitleVariant::RolledUp),
              rolledInactive = Index(TitleVariant::RolledUpInactive);
    auto key = [](int variant, int button, const char* what) {
        return std::string(StateWords[static_cast<std::size_t>(variant)]) +
               ButtonWords[static_cast<std::size_t>(button)] + what;
    };
    for (int i = 0; i < 4; ++i) place[base][i].Align = f.ReadInteger(s, key(base, i, "Align"), 0);
    for (int i = 0; i < 4; ++i)
        place[inactive][i].Align = f.ReadInteger(s, key(inactive, i, "Align"), place[base][i].Align);
    for (int i = 0; i < 4; ++i)
        place[rolled][i].Align = f.ReadInteger(s, key(rolled, i, "Align"), place[base][i].Align);
    for (int i = 0; i < 4; ++i)
        place[rolledInactive][i].Align =
            f.ReadInteger(s, key(rolledInactive, i, "Align"), place[inactive][i].Align);
    auto readXY = [&](int variant, int fallbackVariant) {
        for (int i = 0; i < 4; ++i) {
            const ButtonPlacement* fallback = fallbackVariant < 0 ? nullptr : &place[fallbackVariant][i];
            place[variant][i].X = f.ReadInteger(s, key(variant, i, "X"), fallback ? fallback->X : 0);
            place[variant][i].Y = f.ReadInteger(s, key(variant, i, "Y"), fallback ? fallback->Y : 0);
        }
    };
    readXY(base, -1);
    readXY(inactive, base);
    readXY(rolledInactive, inactive);
    readXY(rolled, base);
    return t;
}

}  // namespace

SkinValues ReadSkinFile(const platform::IniFile& f) {
    SkinValues v;
    v.Metrics = ReadMetrics(f);
    v.BgColorR = f.ReadInteger("bg", "ColorR", 255);
    v.BgColorG = f.ReadInteger("bg", "ColorG", 255);
    v.BgColorB = f.ReadInteger("bg", "ColorB", 255);
    v.CaptionAlphaActive = f.ReadInteger("Caption", "AlphaActive", 255);
    v.CaptionAlphaInactive = f.ReadInteger("Caption", "AlphaInActive", 255);
    v.CaptionText = f.ReadString("Caption", "Text", "Zylora");
    v.CaptionFormat = f.ReadString("Caption", "Format", "");
    v.Right = ReadBorders(f, "right", true);
    v.Bottom = ReadBorders(f, "bottom", false);
    v.Title = ReadTitle(f);
    v.Left = ReadBorders(f, "left", false);
    return v;
}

SkinValues ScaledForDpi(SkinValues v, int dpi) {
    const auto scale = [dpi](int& value) { value = platform::ScaledToDpi(value, dpi); };
    app::FrameMetrics& m = v.Metrics;
    for (int* value : {&m.LeftWidth, &m.LeftInactiveWidth, &m.RightWidth, &m.RightInactiveWidth, &m.BottomHeight,
                       &m.BottomInactiveHeight, &m.TopHeight, &m.TopInactiveHeight, &m.TopRolledUpHeight,
                       &m.TopRolledUpInactiveHeight})
        scale(*value);
    for (ResizeBorders* borders : {&v.Left, &v.Right, &v.Bottom})
        for (int* value : {&borders->ResizeBorder1, &borders->ResizeBorder2, &borders->ResizeBorder3,
                           &borders->ResizeBorder4})
            scale(*value);
    for (auto& variant : v.Title.ButtonPlace)
        for (ButtonPlacement& place : variant) {
            scale(place.X);
            scale(place.Y);
        }
    return v;
}

SkinInfo ReadSkinInfo(const platform::IniFile& f) {
    return {f.ReadString("general", "name", ""), f.ReadString("general", "author", ""),
            f.ReadString("general", "notes", "")};
}

}  // namespace zylora::skin
