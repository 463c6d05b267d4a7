// The skin checker: reads a skin or button set folder with the viewer's own readers and
// tells, one line each, what the viewer would show wrong or not at all.
#pragma once

#include <string>
#include <vector>

#include "platform/SkinSystem.h"

namespace zylora::skincheck {

// An error: something the viewer can't show or use (a missing or undecodable required image,
// a button that can never be hit). A warning: something it shows otherwise than the author
// may mean (a fallback, a default, a stretched piece, an unknown key).
enum class Severity { Warning, Error };

struct Finding {
    Severity severity = Severity::Warning;
    // "<file>: <key or image>: <message>", the file relative to the folder checked.
    std::string text;
    friend bool operator==(const Finding&, const Finding&) = default;
};

// Checks the folder, which is a skin or a button set by what it holds; findings in a fixed
// order.
std::vector<Finding> CheckFolder(platform::SkinSystem& system, const std::string& folder);

// 0 for none, 1 for warnings only, 2 when there is an error.
int ExitStatus(const std::vector<Finding>& findings);
// "1 error, 2 warnings"; empty for none.
std::string Summary(const std::vector<Finding>& findings);

}  // namespace zylora::skincheck
