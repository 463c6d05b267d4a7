// A skin folder: its file's keys, its font, its frame pieces in every look the frame shows,
// and its caption buttons as the title window draws and hits them.
#include <array>

#include "app/Title.h"
#include "skin/SkinFile.h"
#include "skin/SkinImages.h"
#include "skin/TitleWindow.h"
#include "tools/skincheck/CheckContext.h"

namespace zylora::skincheck {

namespace {

using skin::TitleVariant;

constexpr std::array<const char*, 4> LookNames = {"active", "inactive", "rolled-up", "rolled-up inactive"};
constexpr std::array<const char*, 4> ButtonNames = {"close", "minimise", "maximise", "roll"};

// One look of the frame at the typical size: the title's extent and the edges' thickness.
struct Look {
    TitleVariant variant;
    int left, right, top, bottom;
    bool edges;  // the edge windows show (they are hidden while rolled up)
    int TitleWidth() const { return left + TypicalViewWidth + right; }
    std::string Name() const { return LookNames[static_cast<std::size_t>(variant)]; }
    std::string Prefix() const { return skin::LookPrefixes[static_cast<std::size_t>(variant)]; }
    bool Active() const { return variant == TitleVariant::Active || variant == TitleVariant::RolledUp; }
};

std::array<Look, 4> LooksOf(const app::FrameMetrics& m) {
    return {{{TitleVariant::Active, m.LeftWidth, m.RightWidth, m.TopHeight, m.BottomHeight, true},
             {TitleVariant::Inactive, m.LeftInactiveWidth, m.RightInactiveWidth, m.TopInactiveHeight,
              m.BottomInactiveHeight, true},
             {TitleVariant::RolledUp, m.LeftWidth, m.RightWidth, m.TopRolledUpHeight, 0, false},
             {TitleVariant::RolledUpInactive, m.LeftInactiveWidth, m.RightInactiveWidth,
              m.TopRolledUpInactiveHeight, 0, false}}};
}

class SkinCheck {
public:
    SkinCheck(CheckContext& context, const skin::SkinValues& values) : c_(context), v_(values) {}

    void Font() {
        const std::string& font = v_.Title.FontName;
        if (!c_.System().HasFontFamily(font))
            c_.Warn(std::string(skin::files::SkinFile) + ": [Caption] FontName: the system has no font \"" + font +
                    "\": the caption is drawn in a generic sans serif");
    }

    void TitleFormat() {
        std::string known;
        for (const std::string& name : app::TitleFieldNames()) known += (known.empty() ? "" : ", ") + name;
        for (const std::string& field : app::UnknownTitleFields(v_.CaptionFormat))
            c_.Warn(std::string(skin::files::SkinFile) + ": [Caption] Format: {" + field + "} is no field (" + known +
                    "): it shows as written");
    }

    void Frame() {
        for (const Look& look : LooksOf(v_.Metrics)) {
            if (look.top > 0) {
                Piece(look, skin::files::LeftTop, "the " + look.Name() + " title's middle starts at its left end");
                Piece(look, skin::files::Top, "the middle of the " + look.Name() + " title is transparent");
                Piece(look, skin::files::RightTop, "the " + look.Name() + " title's middle reaches its right end");
                for (const char* name : {skin::files::LeftTop, skin::files::Top, skin::files::RightTop})
                    FitHeight(look, name, look.top, "title", "scaled to fit");
            }
            if (!look.edges) continue;
            Side(look, look.left, "left", skin::files::LeftMiddle, skin::files::LeftBottom);
            Side(look, look.right, "right", skin::files::RightMiddle, skin::files::RightBottom);
            if (look.bottom > 0) {
                Piece(look, skin::files::Bottom, "the " + look.Name() + " bottom edge is transparent");
                const platform::Image* image = Decoded(look.Prefix() + skin::files::Bottom);
                if (image && image->Height() != look.bottom)
                    FitHeight(look, skin::files::Bottom, look.bottom, "bottom edge",
                              image->Height() > look.bottom ? "cut off" : "repeated downwards");
            }
        }
    }

    void CaptionButtons() {
        for (std::size_t b = 0; b < 4; ++b) {
            const auto& names = skin::CaptionButtonFiles[b];
            const std::string button = ButtonNames[b];
            Image(names[0], Severity::Error, "the " + button + " button is neither drawn nor hit");
            Image(names[1], Severity::Warning, "the " + button + " button vanishes under the pointer");
            Image(names[2], Severity::Warning, "the inactive title shows no " + button + " button");
            const platform::Image* normal = Decoded(names[0]);
            // The title's hit test leaves out the image's first row and column.
            if (normal && !HasOpaquePixel(*normal, 1, 1, normal->Width() - 1, normal->Height() - 1))
                c_.Error(std::string(names[0]) + ": no opaque pixel: the " + button + " button can never be hit");
            for (const Look& look : LooksOf(v_.Metrics)) Placement(look, b);
        }
    }

    void Background() {
        Image(skin::files::ToolbarBackground, Severity::Warning,
              "a button set without its own shows no toolbar background");
        if (c_.Exists(skin::files::Corner))
            Image(skin::files::Corner, Severity::Error, "the view has no resize grip");
    }

private:
    const platform::Image* Decoded(const std::string& name) { return c_.Load(name).image.get(); }

    // Reports the image when the viewer can't use it: missing ones with the severity given,
    // undecodable ones always as errors.
    void Image(const std::string& name, Severity missing, const std::string& effect) {
        const CheckContext::Loaded& loaded = c_.Load(name);
        if (loaded.image) return;
        c_.Add(loaded.problem == "missing" ? missing : Severity::Error, name + ": " + loaded.problem + ": " + effect);
    }

    // The active look's pieces are required; the other looks draw nothing in a missing
    // piece's place (there is no fallback to the active one).
    void Piece(const Look& look, const char* base, const std::string& effect) {
        Image(look.Prefix() + base, look.variant == TitleVariant::Active ? Severity::Error : Severity::Warning,
              effect);
    }

    void FitHeight(const Look& look, const char* base, int height, const std::string& window,
                   const std::string& effect) {
        const platform::Image* image = Decoded(look.Prefix() + base);
        if (!image || image->Height() == height) return;
        c_.Warn(look.Prefix() + base + ": " + std::to_string(image->Height()) + " high, the " + look.Name() + " " +
                window + " " + std::to_string(height) + ": " + effect);
    }

    void Side(const Look& look, int width, const std::string& side, const char* middle, const char* bottom) {
        if (width <= 0) return;
        const std::string edge = "the " + look.Name() + " " + side + " edge";
        Piece(look, middle, edge + " is transparent above its bottom piece");
        Piece(look, bottom, edge + " has no bottom piece");
        // The middle piece tiles at its own size; the bottom piece is stretched to the width.
        if (const platform::Image* image = Decoded(look.Prefix() + middle); image && image->Width() != width)
            c_.Warn(look.Prefix() + middle + ": " + std::to_string(image->Width()) + " wide, " + edge + " " +
                    std::to_string(width) + ": " + (image->Width() > width ? "cut off" : "repeated across"));
        if (const platform::Image* image = Decoded(look.Prefix() + bottom); image && image->Width() != width)
            c_.Warn(look.Prefix() + bottom + ": " + std::to_string(image->Width()) + " wide, " + edge + " " +
                    std::to_string(width) + ": stretched to fit");
    }

    // Where the title window draws the button in the look, for the typical width.
    void Placement(const Look& look, std::size_t b) {
        if (look.top <= 0) return;
        const std::string file = skin::CaptionButtonFiles[b][look.Active() ? 0 : 2];
        const platform::Image* image = Decoded(file);
        if (!image) return;
        const skin::ButtonPlacement& place = v_.Title.ButtonPlace[static_cast<std::size_t>(look.variant)][b];
        const int width = look.TitleWidth();
        const platform::Rect at{platform::SaturatingSum(place.X, skin::AlignOffset(place.Align, width)), place.Y,
                                image->Width(), image->Height()};
        const platform::Rect strip{0, 0, width, look.top};
        if (Contains(strip, at)) return;
        const std::string head = std::string(skin::files::SkinFile) + ": [Buttons] " +
                                 skin::StateWords[static_cast<std::size_t>(look.variant)] + skin::ButtonWords[b] +
                                 ": the " + ButtonNames[b] + " button (" + SizeText(at.width, at.height) + " at " +
                                 std::to_string(at.left) + ", " + std::to_string(at.top) + ") ";
        const std::string title = " the " + look.Name() + " title (" + SizeText(width, look.top) + ")";
        if (!Disjoint(strip, at))
            c_.Warn(head + "reaches outside" + title);
        else if (look.Active())
            c_.Error(head + "lies outside" + title + ": never seen nor hit");
        else
            c_.Warn(head + "lies outside" + title + ": never seen");
    }

    CheckContext& c_;
    const skin::SkinValues& v_;
};

}  // namespace

void CheckSkin(CheckContext& context, const platform::IniFile& file, ReadLog& log) {
    if (!context.Exists(skin::files::SkinFile))
        context.Error(std::string(skin::files::SkinFile) + ": missing: every value takes its default and the frame has no extent");
    const skin::SkinValues values = skin::ReadSkinFile(file);
    skin::ReadSkinInfo(file);
    context.AuditIni(skin::files::SkinFile, file, log, [](const std::string&) { return std::string(); });
    SkinCheck check(context, values);
    check.Font();
    check.TitleFormat();
    check.Frame();
    check.CaptionButtons();
    check.Background();
}

}  // namespace zylora::skincheck
