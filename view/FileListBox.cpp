#include "view/FileListBox.h"

#include <algorithm>

#include "platform/Paths.h"
#include "platform/Text.h"

namespace zylora::view {

TFileListBox::TFileListBox(platform::FileSystem& files, std::string mask, bool listWorkingDirectory)
    : files_(files) {
    for (std::size_t start = 0; start <= mask.size();) {
        const std::size_t end = std::min(mask.find(';', start), mask.size());
        if (end > start) patterns_.push_back(mask.substr(start, end - start));
        start = end + 1;
    }
    if (!listWorkingDirectory) return;
    const std::string working = files_.WorkingDirectory();
    if (!Read(working)) directory_ = working;
}

bool TFileListBox::SetDirectory(const std::string& folder) { return IsCurrent(folder) || Read(folder); }

bool TFileListBox::IsCurrent(const std::string& folder) {
    return files_.SameName(folder, directory_) && stamp_ && files_.FolderStamp(folder) == stamp_;
}

void TFileListBox::Adopt(TFileListBox&& other) {
    directory_ = std::move(other.directory_);
    stamp_ = other.stamp_;
    items_ = std::move(other.items_);
    itemIndex_ = -1;
}

bool TFileListBox::Read(const std::string& folder) {
    // Taken first: a change while the folder is listed is seen at the next look.
    const std::optional<std::uint64_t> stamp = files_.FolderStamp(folder);
    const auto entries = files_.ListFolder(folder);
    if (!entries) return false;
    // A name may match more than one pattern, so it is kept once: listed twice, a step from
    // the first copy would land on the second and show the same picture again.
    std::vector<std::string> items;
    for (const platform::FolderEntry& entry : *entries) {
        if (entry.folder || entry.hidden || entry.system) continue;
        if (std::any_of(patterns_.begin(), patterns_.end(),
                        [&](const std::string& pattern) { return platform::MatchesWildcard(entry.name, pattern); }))
            items.push_back(entry.name);
    }
    files_.SortNames(items);
    directory_ = folder;
    stamp_ = stamp;
    items_ = std::move(items);
    itemIndex_ = -1;
    return true;
}

int TFileListBox::IndexOf(const std::string& name) const {
    for (std::size_t i = 0; i < items_.size(); ++i)
        if (files_.SameName(items_[i], name)) return static_cast<int>(i);
    return -1;
}

void TFileListBox::SetItemIndex(int index) { itemIndex_ = index >= 0 && index < Count() ? index : -1; }

std::string TFileListBox::FileName() const { return PathOf(itemIndex_); }

std::string TFileListBox::PathOf(int index) const {
    if (index < 0 || index >= Count()) return {};
    return platform::JoinPath(directory_, items_[static_cast<std::size_t>(index)]);
}

}  // namespace zylora::view
