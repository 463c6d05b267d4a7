// The open of a 12 MP picture in each format the viewer decodes itself, against the plain
// decode of the same library in the same run.
#pragma once

#include <string>

#include "platform/Platform.h"

namespace zylora::bench {

// The files are made by scripts/bench.sh (Debian's encoders) in `folder`\formats; a format
// whose file isn't there is said so.
void ReportFormats(platform::Platform& platform, const std::string& folder);

}  // namespace zylora::bench
