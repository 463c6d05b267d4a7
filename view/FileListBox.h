// FileListBox1: the picture files of one folder, never shown, that the next and previous
// steps walk through.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/FileSystem.h"

namespace zylora::view {

// The orders a folder's pictures are stepped in: by name as the file manager shows them, by
// the time of the last change, by the time the photo was taken (its Exif date, else the last
// change), by size; each from the least, or the other way round.
enum class SortOrder { Name, Modified, Taken, Size };
struct FolderOrder {
    SortOrder by = SortOrder::Name;
    bool reversed = false;
    friend bool operator==(const FolderOrder&, const FolderOrder&) = default;
};

// The order's word in the settings file, and the order of a word; Name for any other.
const char* OrderWord(SortOrder order);
SortOrder OrderOfWord(const std::string& word);

class TFileListBox {
public:
    // Lists the working directory at once, as the list's first folder, unless told not to
    // (then it lists nothing until pointed at a folder).
    TFileListBox(platform::FileSystem& files, std::string mask, bool listWorkingDirectory = true,
                 FolderOrder order = {});
    // The list is read anew in the order at its next SetDirectory.
    void SetOrder(FolderOrder order);
    FolderOrder Order() const { return order_; }
    // What the order sorts the file by (0 for all in name order), and whether a file of the
    // first key and name comes before one of the second.
    std::int64_t KeyOf(const std::string& path) const;
    bool Precedes(std::int64_t keyA, const std::string& nameA, std::int64_t keyB, const std::string& nameB) const;
    // The entry with its folder; "" outside the list.
    std::string PathOf(int index) const;

    // Points the list at the folder. It reads the folder when it differs from the one it
    // lists, or when the folder changed since it was read (an entry added, removed or
    // renamed): the list is the folder as it is now, read at most once. False when the
    // folder can't be read: the list then stays as it was.
    bool SetDirectory(const std::string& folder);
    // The list holds the folder as it is now: SetDirectory wouldn't read it.
    bool IsCurrent(const std::string& folder);
    // Takes the folder another list read, with no entry selected.
    void Adopt(TFileListBox&& other);
    const std::string& Directory() const { return directory_; }

    // The files matching a pattern of the mask (patterns separated by ";"), ignoring case;
    // no folders, hidden or system files; each name once, in the file manager's order.
    const std::vector<std::string>& Items() const { return items_; }
    int Count() const { return static_cast<int>(items_.size()); }
    // The entry that is the same name to the file system (whatever its case), or -1.
    int IndexOf(const std::string& name) const;

    // An index outside the list leaves no entry selected.
    void SetItemIndex(int index);
    // The selected entry with its folder, or "" when none is selected.
    std::string FileName() const;

private:
    bool Read(const std::string& folder);
    // Puts the names, in name order, in the list's order.
    void Arrange(const std::string& folder, std::vector<std::string>& names) const;

    platform::FileSystem& files_;
    std::vector<std::string> patterns_;
    std::string directory_;
    std::optional<std::uint64_t> stamp_;  // the folder's when it was read
    std::vector<std::string> items_;
    int itemIndex_ = -1;
    FolderOrder order_;
};

}  // namespace zylora::view
