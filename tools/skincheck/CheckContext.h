// What the checks of one folder share: the findings so far, the folder's images as the
// viewer decodes them, and the record of the INI reads.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/Ini.h"
#include "platform/SkinSystem.h"
#include "tools/skincheck/SkinCheck.h"

namespace zylora::skincheck {

// The frame around a view of this size stands for every size the viewer may show.
constexpr int TypicalViewWidth = 640;
constexpr int TypicalViewHeight = 480;

// Every read the viewer's reader made of one INI file.
class ReadLog : public platform::IniReadObserver {
public:
    struct Read {
        std::string section, key;
        std::optional<std::string> value;
        bool parsed = true;
        std::string result;
    };
    void KeyRead(const std::string& section, const std::string& key, const std::optional<std::string>& value,
                 bool parsed, const std::string& result) override {
        reads.push_back({section, key, value, parsed, result});
    }
    // The file gave the key a value.
    bool Given(const std::string& section, const std::string& key) const;
    std::vector<Read> reads;
};

class CheckContext {
public:
    CheckContext(platform::SkinSystem& system, std::string folder)
        : system_(system), folder_(std::move(folder)) {}

    void Error(const std::string& text) { findings_.push_back({Severity::Error, text}); }
    void Warn(const std::string& text) { findings_.push_back({Severity::Warning, text}); }
    void Add(Severity severity, const std::string& text) { findings_.push_back({severity, text}); }
    std::vector<Finding> TakeFindings() { return std::move(findings_); }

    platform::SkinSystem& System() { return system_; }
    std::string PathOf(const std::string& name) const;
    bool Exists(const std::string& name);

    // An image of the folder as the viewer gets it, kept for the later checks: nothing when
    // it is missing or undecodable, which `problem` then tells ("missing", "does not
    // decode", "too large ...").
    struct Loaded {
        std::unique_ptr<platform::Image> image;
        std::string problem;
    };
    const Loaded& Load(const std::string& name);

    // Reports the file's keys that no read asked for, the values that didn't parse and the
    // lines no read can see. `explainSection` may say why a section is never read ("" for
    // the plain message).
    void AuditIni(const std::string& name, const platform::IniFile& file, const ReadLog& log,
                  const std::function<std::string(const std::string&)>& explainSection);

private:
    platform::SkinSystem& system_;
    std::string folder_;
    std::vector<Finding> findings_;
    std::map<std::string, Loaded> images_;
};

// "16 x 16"
std::string SizeText(int width, int height);
// Some pixel of the region (image pixels, clipped to the image) has an alpha above 0.
bool HasOpaquePixel(const platform::Image& image, int left, int top, int right, int bottom);
// Rectangles: `inner` lies wholly inside `outer`; the two share no pixel.
bool Contains(platform::Rect outer, platform::Rect inner);
bool Disjoint(platform::Rect a, platform::Rect b);
// Edit distance regardless of ASCII case, a swap of neighbours counting as one edit.
int EditDistance(const std::string& a, const std::string& b);

void CheckSkin(CheckContext& context, const platform::IniFile& file, ReadLog& log);
void CheckButtonSet(CheckContext& context, const platform::IniFile& file, ReadLog& log);

}  // namespace zylora::skincheck
