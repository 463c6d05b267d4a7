// Splitting and joining Windows paths as strings ("\" or "/" between names, "C:" for a
// drive), without asking the file system.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/FileSystem.h"

namespace zylora::platform {

// The folder part: the path without its last separator and name. A separator that is the
// root itself stays ("C:\a.png" gives "C:\", "\a.png" gives "\"); a bare name gives "".
std::string DirectoryOf(const std::string& path);
// The name after the last separator (or drive colon).
std::string FileNameOf(const std::string& path);
// The folder, one "\" (none when the folder already ends in a separator) and the name.
std::string JoinPath(const std::string& folder, const std::string& name);

// The names of the folders in the folder, in the file system's order, without hidden or
// system ones; none when the folder can't be read.
std::vector<std::string> VisibleSubfolders(FileSystem& files, const std::string& folder);

// Whether a command line (the system's whole one) holds anything after the program's path,
// which runs to the closing quote when it starts with one and to the first blank otherwise.
bool HasArgumentsAfterProgram(std::wstring_view commandLine);

}  // namespace zylora::platform
