// A button set folder: its file's keys, each button's images in its four states, and the
// buttons' places on the toolbar.
#include <array>
#include <set>

#include "app/MainWindow.h"
#include "platform/Text.h"
#include "toolbar/ButtonSetFile.h"
#include "tools/skincheck/CheckContext.h"

namespace zylora::skincheck {

namespace {

struct State {
    const char* key;
    std::string toolbar::ButtonValues::*name;
    const char* effect;  // when its image is missing
};

constexpr const char* NormalEffect = "the button is never drawn nor hit";
const std::array<State, 4> States = {{
    {"normalImage", &toolbar::ButtonValues::NormalImage, NormalEffect},
    {"mouseoverImage", &toolbar::ButtonValues::MouseoverImage, "the button is blank and not hit under the pointer"},
    {"inactiveImage", &toolbar::ButtonValues::InactiveImage, "the button is blank while inactive"},
    {"selectedImage", &toolbar::ButtonValues::SelectedImage, "the button is blank while pressed or selected"},
}};

std::string RectText(const toolbar::ButtonValues& b) {
    std::string text = "(";
    text += SizeText(b.Width, b.Height) + " at " + std::to_string(b.X) + ", " + std::to_string(b.Y) + ")";
    return text;
}

class ButtonSetCheck {
public:
    ButtonSetCheck(CheckContext& context, const toolbar::ButtonSetValues& values, const ReadLog& log)
        : c_(context), v_(values), log_(log) {}

    void Background() {
        const char* name = toolbar::ButtonSetBackground;
        if (!c_.Exists(name)) return;  // the skin's shows instead
        const CheckContext::Loaded& loaded = c_.Load(name);
        if (!loaded.image) c_.Error(std::string(name) + ": " + loaded.problem + ": the toolbar shows no background");
    }

    void Buttons() {
        if (v_.Buttons.empty())
            c_.Warn(std::string(toolbar::ButtonSetFile) + ": [Main] NumOfButtons: no buttons: the toolbar is empty");
        for (std::size_t i = 0; i < v_.Buttons.size(); ++i) {
            const toolbar::ButtonValues& b = v_.Buttons[i];
            Images(b);
            Place(b);
            // The earlier button takes the pointer where two overlap; the first one tells.
            for (std::size_t j = 0; j < i; ++j)
                if (!Disjoint(Rect(v_.Buttons[j]), Rect(b))) {
                    c_.Warn(std::string(toolbar::ButtonSetFile) + ": [" + b.Section + "]: overlaps [" +
                            v_.Buttons[j].Section + "], which takes the pointer there");
                    break;
                }
        }
    }

private:
    static platform::Rect Rect(const toolbar::ButtonValues& b) { return {b.X, b.Y, b.Width, b.Height}; }

    void Images(const toolbar::ButtonValues& b) {
        const std::string file = toolbar::ButtonSetFile;
        for (const State& state : States) {
            const std::string& name = b.*state.name;
            const bool normal = state.name == &toolbar::ButtonValues::NormalImage;
            const bool given = log_.Given(b.Section, state.key);
            const std::string key = file + ": [" + b.Section + "] " + state.key + ": ";
            if (!given && !normal) {
                if (!b.NormalImage.empty()) c_.Warn(key + "not given: " + b.NormalImage + " serves");
                continue;
            }
            if (name.empty()) {
                c_.Add(normal ? Severity::Error : Severity::Warning,
                       key + (given ? "empty: " : "not given: ") + state.effect);
                continue;
            }
            // Each file once, for the first key that names it.
            if (!seen_.insert(platform::LowerAscii(name)).second) continue;
            const std::string head = name + ": [" + b.Section + "] " + state.key + ": ";
            const CheckContext::Loaded& loaded = c_.Load(name);
            if (!loaded.image) {
                const bool missing = loaded.problem == "missing";
                c_.Add(normal || !missing ? Severity::Error : Severity::Warning, head + loaded.problem + ": " + state.effect);
                continue;
            }
            const platform::Image& image = *loaded.image;
            if (image.Width() != b.Width || image.Height() != b.Height)
                c_.Warn(head + SizeText(image.Width(), image.Height()) + ", the button " + SizeText(b.Width, b.Height) +
                        ": drawn stretched, hit on its own pixels");
            // The hit test reads the image unscaled, over the button's rectangle, both edges included.
            if (normal && !HasOpaquePixel(image, 0, 0, b.Width, b.Height))
                c_.Error(head + "no opaque pixel: the button can never be hit");
        }
    }

    void Place(const toolbar::ButtonValues& b) {
        const platform::Rect toolbar{0, 0, TypicalViewWidth, v_.ToolbarHeight};
        if (Contains(toolbar, Rect(b))) return;
        const std::string head = std::string(toolbar::ButtonSetFile) + ": [" + b.Section + "]: the button " + RectText(b);
        const std::string where = " the toolbar (" + SizeText(toolbar.width, toolbar.height) + ")";
        if (Disjoint(toolbar, Rect(b)))
            c_.Error(head + " lies outside" + where + ": never seen nor hit");
        else
            c_.Warn(head + " reaches outside" + where);
    }

    CheckContext& c_;
    const toolbar::ButtonSetValues& v_;
    const ReadLog& log_;
    std::set<std::string> seen_;
};

}  // namespace

void CheckButtonSet(CheckContext& context, const platform::IniFile& file, ReadLog& log) {
    // A set without a height of its own keeps the toolbar's; at start-up that is its design height.
    const toolbar::ButtonSetValues values = toolbar::ReadButtonSetFile(file, app::TfrmMiddle::DesignToolbarHeight);
    const std::size_t count = values.Buttons.size();
    context.AuditIni(toolbar::ButtonSetFile, file, log, [count](const std::string& section) {
        const std::string lower = platform::LowerAscii(section);
        if (lower.rfind("button-", 0) != 0) return std::string();
        return "never read: NumOfButtons is " + std::to_string(count);
    });
    ButtonSetCheck check(context, values, log);
    check.Background();
    check.Buttons();
}

}  // namespace zylora::skincheck
