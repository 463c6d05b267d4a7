// The next and previous picture of the current picture's folder, with wrap-around.
#include <algorithm>
#include <memory>
#include <utility>

#include "app/MainWindow.h"
#include "platform/Paths.h"

namespace zylora::app {

namespace {

// The entry a step goes to from entry i (-1: none) of count, wrapping around at either end.
int StepTarget(int i, int count, bool forward) {
    int j = forward ? i + 1 : i - 1;
    if (j >= count) j = 0;
    if (j < 0) j = count - 1;
    return j;
}

}  // namespace

// A folder that changed is read on another thread: thousands of names, or a slow share,
// must not hold up the user. What waits for it runs once it is read, in the order asked:
// three quick presses are three steps, however long the listing takes. A held key's repeats
// build no backlog: their step replaces the one of earlier repeats still waiting last.
void TfrmMiddle::WithPictureFolder(std::function<void()> then) { WaitForFolder({std::move(then), takingRepeats_}); }

void TfrmMiddle::WaitForFolder(Waiting waiting) {
    const std::string folder = platform::DirectoryOf(PicturePath);
    // A bare name, or no picture yet: the list stays at the folder it lists.
    if (!listing_ && (folder.empty() || FileListBox1.IsCurrent(folder))) {
        waiting.then();
        return;
    }
    if (waiting.repeats && !afterListing_.empty() && afterListing_.back().repeats)
        afterListing_.back() = std::move(waiting);
    else
        afterListing_.push_back(std::move(waiting));
    if (listing_) return;
    listing_ = true;
    auto list = std::make_shared<view::TFileListBox>(platform_.Files(), PictureMask, /*listWorkingDirectory=*/false,
                                                     FileListBox1.Order());
    auto read = std::make_shared<bool>(false);
    platform_.RunInBackground([list, read, folder] { *read = list->SetDirectory(folder); },
                              [this, list, read, folder, alive = std::weak_ptr<bool>(alive_)] {
                                  if (alive.expired()) return;
                                  listing_ = false;
                                  std::vector<Waiting> steps = std::exchange(afterListing_, {});
                                  if (!*read) {
                                      // The folder is gone or can't be read: the steps are
                                      // abandoned, nothing changes.
                                      platform_.ShowMessage(window_.get(), "Unable to read the folder " + folder,
                                                            "Zylora", platform::MessageIcon::Error);
                                      return;
                                  }
                                  FileListBox1.Adopt(std::move(*list));
                                  // Each from the picture the one before opened; one that
                                  // opened a picture elsewhere has its folder read first.
                                  for (Waiting& next : steps) {
                                      if (alive.expired()) return;
                                      WaitForFolder(std::move(next));
                                  }
                              });
}

void TfrmMiddle::OpenEntry(int index) {
    FileListBox1.SetItemIndex(index);
    OpenFile(FileListBox1.FileName());
}

int TfrmMiddle::StepEntry(bool forward) const {
    const int count = FileListBox1.Count();
    return count > 0 ? zylora::app::StepTarget(FileListBox1.IndexOf(platform::FileNameOf(PicturePath)), count, forward)
                     : -1;
}

void TfrmMiddle::StepInFolder(bool forward) {
    lastStepForward_ = forward;
    WithPictureFolder([this, forward] {
        // No picture to go to: stepping would open nothing and leave the window without a
        // picture or a toolbar to go on with.
        if (const int target = StepEntry(forward); target >= 0) OpenEntry(target);
    });
}

// A look takes a core for most of a held key's step: the next one is made beside it on the
// other, so that the step finds it made. Only where the folder's list is at hand (not looked
// at again: a repeat comes 30 times a second, and a look at a picture gone since gives
// nothing). Each repeat names it: the platform goes on with a look it is making already.
void TfrmMiddle::LookAheadOfStep(const std::string& command) {
    if ((command != "next" && command != "prev") || listing_ || PicturePath.empty() ||
        !platform_.Files().SameName(FileListBox1.Directory(), platform::DirectoryOf(PicturePath)))
        return;
    const int target = StepEntry(command == "next");
    if (target < 0) return;
    const std::string path = FileListBox1.PathOf(target);
    if (path != PicturePath) platform_.LookAhead(path, LookSize());
}

void TfrmMiddle::StepToEnd(bool first) {
    lastStepForward_ = !first;  // the way to read ahead: away from the end
    WithPictureFolder([this, first] {
        if (FileListBox1.Count() > 0) OpenEntry(first ? 0 : FileListBox1.Count() - 1);
    });
}

// The viewer asks in its own words and never lets a file be deleted for good: what the
// Recycle Bin can't take stays where it is. A file already gone is stepped past with a note
// (the shell would ask about it as about a folder).
void TfrmMiddle::DeleteCurrentFile() {
    if (PicturePath.empty()) return;
    using Outcome = platform::Platform::RecycleOutcome;
    // The question and the shell's move each run a loop of their own, in which a drop may
    // open another picture: what they are about is this one.
    const std::string asked = PicturePath;
    const std::string name = platform::FileNameOf(asked);
    Outcome outcome = Outcome::Missing;
    std::int64_t deletedKey = 0;
    if (platform_.Files().FileExists(asked)) {
        if (!platform_.AskYesNo(window_.get(), "Move \"" + name + "\" to the Recycle Bin?", "Delete")) return;
        // Another picture opened while the question stood: the answer was not about it.
        if (PicturePath != asked) return;
        // Where the file stood in the folder's order, looked up while it is there.
        deletedKey = FileListBox1.KeyOf(asked);
        outcome = platform_.MoveToRecycleBin(*window_, asked);
    }
    if (outcome == Outcome::Kept) {
        Note.clear();  // one about an earlier command would now mislead
        Image2->Invalidate();
        platform_.ShowMessage(window_.get(),
                              "\"" + name + "\" could not be moved to the Recycle Bin; it was left where it is.",
                              "Zylora", platform::MessageIcon::Error);
        return;
    }
    // Another picture opened while the shell moved this one: it stays.
    if (PicturePath != asked) return;
    // Gone: the picture after it in the folder's order takes its place, the first after the
    // last; with none left, the background.
    const std::string note = outcome == Outcome::Missing ? "\"" + name + "\" was already gone" : "";
    WithPictureFolder([this, name, note, key = deletedKey] {
        const std::vector<std::string>& items = FileListBox1.Items();
        if (!items.empty()) {
            // The list stands in its order: the files before the one gone are a run from its start,
            // found by looking up the keys of a few.
            const auto after = std::partition_point(items.begin(), items.end(), [&](const std::string& item) {
                const std::int64_t itemKey = FileListBox1.KeyOf(platform::JoinPath(FileListBox1.Directory(), item));
                return FileListBox1.Precedes(itemKey, item, key, name);
            });
            OpenEntry(after == items.end() ? 0 : static_cast<int>(after - items.begin()));
        } else {
            ForgetPicture();
            viewProc_.PictureChanged();
        }
        Note = note;
        Image2->Invalidate();
    });
}

// The list is read in the new order at the next step; the neighbours read ahead change with it.
void TfrmMiddle::SetFolderOrder(view::FolderOrder order) {
    static constexpr const char* names[] = {"name", "date modified", "date taken", "file size"};
    FileListBox1.SetOrder(order);
    Note = std::string("Folder sorted by ") + names[static_cast<int>(order.by)] + (order.reversed ? ", reversed" : "");
    Image2->Invalidate();
    if (!PicturePath.empty()) {
        ReadAheadTimer->SetEnabled(false);
        ReadAheadTimer->SetEnabled(true);
    }
}

void TfrmMiddle::ReadAheadTimerTimer() {
    ReadAheadTimer->SetEnabled(false);
    // The folder is listed on the worker: a folder of thousands of files, or one on a slow
    // share, must not hold up the user who never steps.
    platform::FileSystem& files = platform_.Files();
    auto which = [&files, folder = platform::DirectoryOf(PicturePath), name = platform::FileNameOf(PicturePath),
                  first = lastStepForward_, order = FileListBox1.Order()] {
        std::vector<std::string> paths;
        view::TFileListBox list(files, PictureMask, /*listWorkingDirectory=*/false, order);
        if (folder.empty() || !list.SetDirectory(folder)) return paths;
        const int count = list.Count();
        const int i = list.IndexOf(name);
        for (const bool forward : {first, !first}) {
            const int j = StepTarget(i, count, forward);
            const std::string path = list.PathOf(j);
            if (j != i && !path.empty() && std::find(paths.begin(), paths.end(), path) == paths.end())
                paths.push_back(path);
        }
        return paths;
    };
    platform_.ReadAhead(std::move(which), FirstPaintReduction());
}

std::function<platform::Size(platform::Size)> TfrmMiddle::FirstPaintReduction() const {
    // The first paint of a picture opened: the window fitted to it on this screen with this
    // frame, at the zoom in force, draws from a copy reduced by this much.
    const platform::Size screen = platform_.ScreenSize();
    const long long roomWidth = screen.width - static_cast<long long>(GetLeftWidth()) - GetRightWidth();
    const long long roomHeight = screen.height - static_cast<long long>(GetTopHeight()) - GetBottomHeight();
    const int zoom = ZoomFactor;
    return [roomWidth, roomHeight, zoom](platform::Size picture) {
        const platform::Size panel = HalvedToFit(picture, roomWidth, roomHeight);
        const platform::RectF source = view::SourceRect(picture.width, picture.height, 0, 0, zoom);
        return view::ReducedSize(picture, view::ReductionFactor(source, panel));
    };
}

}  // namespace zylora::app
