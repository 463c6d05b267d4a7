// The next and previous picture of the current picture's folder, with wrap-around.
#include "app/MainWindow.h"
#include "platform/Paths.h"

namespace zylora::app {

void TfrmMiddle::StepInFolder(bool forward) {
    // A bare name, or no picture yet: the list stays at the folder it lists.
    const std::string folder = platform::DirectoryOf(PicturePath);
    if (!folder.empty() && !FileListBox1.SetDirectory(folder)) {
        // The folder is gone or can't be read: the step is abandoned, nothing changes.
        platform_.ShowMessage(window_.get(), "Unable to read the folder " + folder, "Zylora",
                              platform::MessageIcon::Error);
        return;
    }
    const int count = FileListBox1.Count();
    // No picture to go to: stepping would open nothing and leave the window without a
    // picture or a toolbar to go on with.
    if (count == 0) return;
    const int i = FileListBox1.IndexOf(platform::FileNameOf(PicturePath));
    int j = forward ? i + 1 : i - 1;
    if (j >= count) j = 0;
    if (j < 0) j = count - 1;
    FileListBox1.SetItemIndex(j);
    OpenFile(FileListBox1.FileName());
}

}  // namespace zylora::app
