#include "view/FileListBox.h"

#include <algorithm>
#include <numeric>

#include "imaging/PhotoFacts.h"
#include "platform/Paths.h"
#include "platform/Text.h"

namespace zylora::view {

namespace {

constexpr const char* OrderWords[] = {"name", "modified", "taken", "size"};

// Seconds since 1970 of a date as the facts give it ("2024-05-17 14:03:22"), taken as UTC: a
// camera's clock keeps local time without saying which, so a photo falls among files changed
// at its hour give or take the zone.
std::optional<std::int64_t> SecondsOfDate(const std::string& date) {
    if (date.size() < 19) return std::nullopt;
    const auto field = [&](std::size_t at, std::size_t n) { return std::stoi(date.substr(at, n)); };
    const int year = field(0, 4), month = field(5, 2), day = field(8, 2);
    // Days from 1970 of the civil date (Howard Hinnant's days_from_civil).
    const int y = year - (month <= 2 ? 1 : 0);
    const int era = (y >= 0 ? y : y - 399) / 400;
    const int yearOfEra = y - era * 400;
    const int dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const int dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    const std::int64_t days = static_cast<std::int64_t>(era) * 146097 + dayOfEra - 719468;
    return days * 86400 + field(11, 2) * 3600 + field(14, 2) * 60 + field(17, 2);
}

}  // namespace

const char* OrderWord(SortOrder order) { return OrderWords[static_cast<int>(order)]; }

SortOrder OrderOfWord(const std::string& word) {
    for (int i = 0; i < 4; ++i)
        if (platform::EqualsIgnoringCase(word, OrderWords[i])) return static_cast<SortOrder>(i);
    return SortOrder::Name;
}

TFileListBox::TFileListBox(platform::FileSystem& files, std::string mask, bool listWorkingDirectory,
                           FolderOrder order)
    : files_(files), order_(order) {
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

void TFileListBox::SetOrder(FolderOrder order) {
    if (order == order_) return;
    order_ = order;
    stamp_.reset();
}

void TFileListBox::Adopt(TFileListBox&& other) {
    directory_ = std::move(other.directory_);
    // Read in an order since changed: read again at the next look.
    stamp_ = other.order_ == order_ ? other.stamp_ : std::nullopt;
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
    Arrange(folder, items);
    directory_ = folder;
    stamp_ = stamp;
    items_ = std::move(items);
    itemIndex_ = -1;
    return true;
}

std::int64_t TFileListBox::KeyOf(const std::string& path) const {
    if (order_.by == SortOrder::Name) return 0;
    const std::optional<platform::FileStamp> stamp = files_.StampOf(path);
    if (order_.by == SortOrder::Size) return stamp ? static_cast<std::int64_t>(stamp->size) : 0;
    const std::int64_t modified = stamp ? files_.SecondsSince1970(stamp->modified) : 0;
    if (order_.by == SortOrder::Modified) return modified;
    // An Exif segment stands at the start of a photo: its head is read, not the whole file.
    const std::string head = files_.ReadFileHead(path, 1 << 16);
    const imaging::ByteReader read = [&head](std::uint64_t offset, std::size_t length) {
        return offset < head.size() ? head.substr(static_cast<std::size_t>(offset), length) : std::string();
    };
    return SecondsOfDate(imaging::DeclaredPhotoFacts(read).taken).value_or(modified);
}

bool TFileListBox::Precedes(std::int64_t keyA, const std::string& nameA, std::int64_t keyB,
                            const std::string& nameB) const {
    const int compared = keyA != keyB ? (keyA < keyB ? -1 : 1) : files_.CompareNames(nameA, nameB);
    return order_.reversed ? compared > 0 : compared < 0;
}

void TFileListBox::Arrange(const std::string& folder, std::vector<std::string>& names) const {
    if (order_.by != SortOrder::Name) {
        // Each name's key, looked up once; names of one key keep their name order.
        std::vector<std::int64_t> keys;
        for (const std::string& name : names) keys.push_back(KeyOf(platform::JoinPath(folder, name)));
        std::vector<std::size_t> order(names.size());
        std::iota(order.begin(), order.end(), std::size_t{0});
        std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) { return keys[a] < keys[b]; });
        std::vector<std::string> sorted;
        for (const std::size_t i : order) sorted.push_back(std::move(names[i]));
        names = std::move(sorted);
    }
    if (order_.reversed) std::reverse(names.begin(), names.end());
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
