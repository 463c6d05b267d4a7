#include "tools/skincheck/SkinCheck.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <map>
#include <set>

#include "imaging/ImageHeader.h"
#include "imaging/ScreenScale.h"
#include "platform/Dpi.h"
#include "platform/Paths.h"
#include "platform/Text.h"
#include "skin/SkinImages.h"
#include "tools/skincheck/CheckContext.h"
#include "toolbar/ButtonSetFile.h"

namespace zylora::skincheck {

using platform::EqualsIgnoringCase;

bool ReadLog::Given(const std::string& section, const std::string& key) const {
    for (const Read& read : reads)
        if (EqualsIgnoringCase(read.section, section) && EqualsIgnoringCase(read.key, key)) return read.value.has_value();
    return false;
}

std::string CheckContext::PathOf(const std::string& name) const { return platform::JoinPath(folder_, name); }

bool CheckContext::Exists(const std::string& name) { return system_.Files().FileExists(PathOf(name)); }

const CheckContext::Loaded& CheckContext::Load(const std::string& name) {
    auto found = images_.find(name);
    if (found != images_.end()) return found->second;
    Loaded& loaded = images_[name];
    const std::string path = PathOf(name);
    if (name.empty() || !system_.Files().FileExists(path)) {
        loaded.problem = "missing";
        return loaded;
    }
    std::unique_ptr<platform::Image> image = system_.DecodeSkinImage(path);
    if (image && image->Width() > 0 && image->Height() > 0) {
        loaded.image = std::move(image);
        return loaded;
    }
    loaded.problem = "does not decode";
    // The viewer refuses a skin image beyond its limit before decoding it.
    const std::string bytes = system_.Files().ReadFile(path).value_or(std::string());
    const std::optional<platform::Size> declared =
        imaging::DeclaredImageSize([&bytes](std::uint64_t offset, std::size_t length) {
            return offset >= bytes.size() ? std::string() : bytes.substr(static_cast<std::size_t>(offset), length);
        });
    if (declared && !imaging::SkinImageLimit.Allows(*declared))
        loaded.problem = "too large (" + SizeText(declared->width, declared->height) + ", at most " +
                         std::to_string(imaging::MaxSkinImageSide) + " a side and " +
                         std::to_string(imaging::MaxSkinImagePixels) + " pixels)";
    return loaded;
}

void CheckContext::AuditIni(const std::string& name, const platform::IniFile& file, const ReadLog& log,
                            const std::function<std::string(const std::string&)>& explainSection) {
    // Known names in the order the reader asked for them, so a suggestion never depends on
    // anything but the reader; keys by their section, as names match: regardless of case.
    std::vector<std::string> sections;
    std::map<std::string, std::vector<const ReadLog::Read*>> bySection;
    for (const ReadLog::Read& read : log.reads) {
        auto& reads = bySection[platform::LowerAscii(read.section)];
        if (reads.empty()) sections.push_back(read.section);
        reads.push_back(&read);
    }
    auto nearest = [](const std::string& word, const std::vector<std::string>& known) -> std::optional<std::string> {
        std::optional<std::string> best;
        int bestDistance = std::max(1, std::min(3, static_cast<int>(word.size()) / 3));
        for (const std::string& k : known) {
            // No closer than their lengths differ.
            const auto apart = static_cast<long long>(k.size()) - static_cast<long long>(word.size());
            if (apart > bestDistance || -apart > bestDistance) continue;
            const int d = EditDistance(word, k);
            if (d < bestDistance || (d == bestDistance && !best)) best = k, bestDistance = d;
        }
        return best;
    };
    // A hostile file of countless sections would make the suggestions cost without end.
    constexpr std::size_t MaxSuggestedSections = 100;

    std::set<std::string> sectionsReported;
    for (const platform::IniEntry& entry : file.Entries()) {
        const std::string subject = "[" + entry.section + "] " + entry.key;
        if (entry.section.empty()) {
            Warn(name + ": " + entry.key + ": outside any section: never read");
            continue;
        }
        const auto known = bySection.find(platform::LowerAscii(entry.section));
        if (known == bySection.end()) {
            if (!sectionsReported.insert(platform::LowerAscii(entry.section)).second) continue;
            const std::string head = name + ": [" + entry.section + "]: ";
            const std::string why = explainSection(entry.section);
            const auto near = sectionsReported.size() <= MaxSuggestedSections ? nearest(entry.section, sections)
                                                                                : std::nullopt;
            if (!why.empty())
                Warn(head + why);
            else if (near)
                Warn(head + "did you mean [" + *near + "]?");
            else
                Warn(head + "unknown section: never read");
            continue;
        }
        if (entry.shadowed) {
            Warn(name + ": " + subject + ": never read: an earlier line or section of the name comes first");
            continue;
        }
        std::vector<std::string> keys;
        const ReadLog::Read* read = nullptr;
        for (const ReadLog::Read* r : known->second) {
            keys.push_back(r->key);
            if (EqualsIgnoringCase(r->key, entry.key)) read = r;
        }
        if (!read) {
            if (const auto near = nearest(entry.key, keys))
                Warn(name + ": " + subject + ": did you mean " + *near + "?");
            else
                Warn(name + ": " + subject + ": unknown key: never read");
        } else if (!read->parsed) {
            Warn(name + ": " + subject + ": \"" + entry.value + "\" is not a number: " + read->result + " is used");
        }
    }
}

std::string SizeText(int width, int height) { return std::to_string(width) + " x " + std::to_string(height); }

bool HasOpaquePixel(const platform::Image& image, int left, int top, int right, int bottom) {
    right = std::min(right, image.Width() - 1);
    bottom = std::min(bottom, image.Height() - 1);
    for (int y = std::max(top, 0); y <= bottom; ++y)
        for (int x = std::max(left, 0); x <= right; ++x)
            if (image.AlphaAt(x, y).value_or(0) != 0) return true;
    return false;
}

bool Contains(platform::Rect o, platform::Rect i) {
    return i.left >= o.left && i.top >= o.top && static_cast<long long>(i.left) + i.width <= static_cast<long long>(o.left) + o.width &&
           static_cast<long long>(i.top) + i.height <= static_cast<long long>(o.top) + o.height;
}

bool Disjoint(platform::Rect a, platform::Rect b) {
    auto apart = [](long long a0, long long aSize, long long b0, long long bSize) {
        return a0 + aSize <= b0 || b0 + bSize <= a0 || aSize <= 0 || bSize <= 0;
    };
    return apart(a.left, a.width, b.left, b.width) || apart(a.top, a.height, b.top, b.height);
}

int EditDistance(const std::string& rawA, const std::string& rawB) {
    const std::string a = platform::LowerAscii(rawA), b = platform::LowerAscii(rawB);
    // Optimal string alignment: three rows of the table are enough.
    std::vector<int> before(b.size() + 1), previous(b.size() + 1), current(b.size() + 1);
    for (std::size_t j = 0; j <= b.size(); ++j) previous[j] = static_cast<int>(j);
    for (std::size_t i = 1; i <= a.size(); ++i) {
        current[0] = static_cast<int>(i);
        for (std::size_t j = 1; j <= b.size(); ++j) {
            const int cost = a[i - 1] == b[j - 1] ? 0 : 1;
            current[j] = std::min({previous[j] + 1, current[j - 1] + 1, previous[j - 1] + cost});
            if (i > 1 && j > 1 && a[i - 1] == b[j - 2] && a[i - 2] == b[j - 1])
                current[j] = std::min(current[j], before[j - 2] + 1);
        }
        before.swap(previous);
        previous.swap(current);
    }
    return previous[b.size()];
}

namespace {

bool IsButtonSet(const std::vector<platform::IniEntry>& entries) {
    return std::any_of(entries.begin(), entries.end(), [](const platform::IniEntry& e) {
        return EqualsIgnoringCase(e.section, "Main") || platform::LowerAscii(e.section).rfind("button-", 0) == 0;
    });
}

bool LooksLikeSkin(CheckContext& context) {
    for (const char* name : {skin::files::SkinFile, skin::files::Top, skin::files::LeftTop, skin::files::Bottom,
                             skin::CaptionButtonFiles[0][0]})
        if (context.Exists(name)) return true;
    return false;
}

// An image drawn for a scale ("top@2x.png") is drawn as it is where the viewer would scale its
// 96-DPI image ("top.png") by that much: of another size it misfits the frame and the toolbar,
// whose sizes are scaled.
void CheckScaledImages(CheckContext& context, const std::string& folder) {
    const auto entries = context.System().Files().ListFolder(folder);
    if (!entries) return;
    for (const platform::FolderEntry& entry : *entries) {
        if (entry.folder) continue;
        const std::string& name = entry.name;
        const std::size_t at = name.rfind('@'), dot = name.rfind('.');
        if (at == std::string::npos || dot == std::string::npos || dot < at + 3 || name[dot - 1] != 'x') continue;
        const std::string factor = name.substr(at + 1, dot - at - 2);
        char* end = nullptr;
        const double scale = std::strtod(factor.c_str(), &end);
        if (factor.empty() || end != factor.c_str() + factor.size() || !(scale > 1) || scale > 8) continue;
        const std::string base = name.substr(0, at) + name.substr(dot);
        const platform::Image* drawn = context.Load(name).image.get();
        if (!context.Exists(base)) {
            context.Warn(name + ": no " + base + " beside it: the viewer never looks for it");
            continue;
        }
        const platform::Image* image = context.Load(base).image.get();
        if (!drawn || !image) continue;
        const int dpi = static_cast<int>(std::lround(scale * platform::BaseDpi));
        const platform::Size wanted = imaging::SizeForDpi({image->Width(), image->Height()}, dpi);
        if (drawn->Width() != wanted.width || drawn->Height() != wanted.height)
            context.Warn(name + ": " + SizeText(drawn->Width(), drawn->Height()) + ", " + factor + " times " + base +
                         " is " + SizeText(wanted.width, wanted.height) + ": drawn at the wrong size at that scale");
    }
}

}  // namespace

std::vector<Finding> CheckFolder(platform::SkinSystem& system, const std::string& folder) {
    CheckContext context(system, folder);
    // Both kinds keep their values in a file of the same name.
    platform::IniFile file(system.Files(), context.PathOf(toolbar::ButtonSetFile));
    ReadLog log;
    file.SetObserver(&log);
    if (IsButtonSet(file.Entries()))
        CheckButtonSet(context, file, log);
    else if (LooksLikeSkin(context))
        CheckSkin(context, file, log);
    else
        context.Error(std::string(toolbar::ButtonSetFile) + ": missing: the folder is neither a skin nor a button set");
    CheckScaledImages(context, folder);
    return context.TakeFindings();
}

int ExitStatus(const std::vector<Finding>& findings) {
    if (findings.empty()) return 0;
    const bool error = std::any_of(findings.begin(), findings.end(),
                                   [](const Finding& f) { return f.severity == Severity::Error; });
    return error ? 2 : 1;
}

std::string Summary(const std::vector<Finding>& findings) {
    if (findings.empty()) return {};
    const long long errors = std::count_if(findings.begin(), findings.end(),
                                           [](const Finding& f) { return f.severity == Severity::Error; });
    const long long warnings = static_cast<long long>(findings.size()) - errors;
    auto counted = [](long long n, const char* word) { return std::to_string(n) + " " + word + (n == 1 ? "" : "s"); };
    return counted(errors, "error") + ", " + counted(warnings, "warning");
}

}  // namespace zylora::skincheck
