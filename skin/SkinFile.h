// The skin file's values: one reader for the viewer and the skin checker, so both see the
// same keys, defaults and fallbacks.
#pragma once

#include <array>
#include <string>

#include "app/FrameMetrics.h"
#include "platform/Ini.h"
#include "platform/Types.h"

namespace zylora::skin {

// The four looks of the title window.
enum class TitleVariant { Active = 0, Inactive = 1, RolledUp = 2, RolledUpInactive = 3 };

// Caption buttons, numbered as HoverButton counts them (0 is none).
enum class CaptionButton { Close = 1, Min = 2, Max = 3, Roll = 4 };

// Caption rectangle in percent: X and Width of the title's width, Y and Height of its height.
struct CaptionRectPercent {
    int X = 0;
    int Y = 0;
    int Width = 0;
    int Height = 0;
};

struct ButtonPlacement {
    int X = 0;
    int Y = 0;
    int Align = 0;
};

// The words the Buttons keys are made of: state word + button word + Align, X or Y.
constexpr std::array<const char*, 4> ButtonWords = {"Close", "Min", "Max", "Roll"};
// By TitleVariant.
constexpr std::array<const char*, 4> StateWords = {"", "InActive", "RolledUp", "RolledUpInActive"};

// What the title window draws the caption and places the caption buttons by.
struct TitleValues {
    std::string FontName;
    int FontSize = 0;
    int FontStyle = 0;
    int HorAlign = 0;
    int VerAlign = 0;
    platform::Argb CaptionColor = 0;
    std::array<CaptionRectPercent, 4> CaptionRect{};  // by TitleVariant
    // By TitleVariant, then by caption button (close, min, max, roll).
    std::array<std::array<ButtonPlacement, 4>, 4> ButtonPlace{};
};

// An edge window's resize bands; only the right window has the corner band (3 and 4).
struct ResizeBorders {
    int ResizeBorder1 = 0;
    int ResizeBorder2 = 0;
    int ResizeBorder3 = 0;
    int ResizeBorder4 = 0;
};

// Every value of the skin file, in the groups of the windows that hold them.
struct SkinValues {
    app::FrameMetrics Metrics;
    int BgColorR = 255;
    int BgColorG = 255;
    int BgColorB = 255;
    int CaptionAlphaActive = 255;
    int CaptionAlphaInactive = 255;
    std::string CaptionText;
    std::string CaptionFormat;  // the title's layout of the picture's facts; empty for the usual
    ResizeBorders Left, Right, Bottom;
    TitleValues Title;
};

SkinValues ReadSkinFile(const platform::IniFile& file);

// The values in pixels at the screen's scale (platform/Dpi.h): frame metrics, resize bands
// and caption-button places. Percentages and the font's size, which the title scales when it
// draws, stay as read.
SkinValues ScaledForDpi(SkinValues values, int dpi);

// Section general: what the skin info message tells.
struct SkinInfo {
    std::string Name;
    std::string Author;
    std::string Notes;
};

SkinInfo ReadSkinInfo(const platform::IniFile& file);

}  // namespace zylora::skin
