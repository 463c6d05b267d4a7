// The view's context menu: the file manager's own menu for the picture's file. Nothing is
// refreshed after its command: the picture stays as decoded, its path as it was.
#include "app/MainWindow.h"

namespace zylora::app {

void TfrmMiddle::Image2ContextPopup(bool& handled) {
    // The folder part keeps its last separator (or the drive's colon), as the shell parses it.
    const std::size_t split = PicturePath.find_last_of("\\:");
    const std::size_t nameStart = split == std::string::npos ? 0 : split + 1;
    if (platform_.ShowShellContextMenu(*window_, PicturePath.substr(0, nameStart),
                                       PicturePath.substr(nameStart)))
        handled = true;
}

}  // namespace zylora::app
