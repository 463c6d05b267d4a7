// zylora-skincheck FOLDER: the findings, one a line, then a summary line when there are any;
// the exit status tells clean (0), warnings only (1) or errors (2).
#include <iostream>

#include "platform/SkinSystem.h"
#include "tools/skincheck/SkinCheck.h"

int main(int argc, char** argv) {
    const std::vector<std::string> arguments = zylora::platform::ProgramArguments(argc, argv);
    if (arguments.size() != 1) {
        std::cerr << "usage: zylora-skincheck FOLDER\n"
                     "Checks a skin folder or a button set folder.\n";
        return 2;
    }
    auto system = zylora::platform::CreateSkinSystem();
    const auto findings = zylora::skincheck::CheckFolder(*system, arguments.front());
    for (const auto& finding : findings) std::cout << finding.text << '\n';
    if (!findings.empty()) std::cout << zylora::skincheck::Summary(findings) << '\n';
    return zylora::skincheck::ExitStatus(findings);
}
