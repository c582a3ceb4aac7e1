// Takes a screenshot of tkt-view for the preview and the README: the viewer started on a plug-in
// and a number, its ticket at 2x (or at 1x beside a second plug-in's, when one is named), the whole
// window read off a (virtual) display into a BMP file.
//   view_screenshot VIEWER PLUGIN NUMBER OUT.bmp [COMPARED_PLUGIN]
#include <windows.h>

#include <cstdio>
#include <string>

#include "tests/view/view_driver.h"
#include "tools/view/image_files.h"
#include "tools/view/view_ids.h"

int main(int argc, char **argv) {
  if (argc != 5 && argc != 6) {
    std::printf("usage: view_screenshot VIEWER PLUGIN NUMBER OUT.bmp [COMPARED_PLUGIN]\n");
    return 2;
  }
  RunningViewer viewer;
  if (!StartViewer(Wide(argv[1]), L"\"" + Wide(argv[2]) + L"\" " + Wide(argv[3]), viewer)) {
    std::printf("the viewer showed no window\n");
    return 1;
  }
  // Three pictures side by side when comparing: they fit the window at 1x.
  if (argc == 6)
    Request(viewer, VIEWER_COMPARE, Wide(argv[5]));
  Command(viewer, argc == 6 ? IDM_ZOOM_1 : IDM_ZOOM_2);
  Picture window = WindowPicture(viewer);
  DWORD error = 0;
  bool saved = window.width > 0 && SavePicture(window, Wide(argv[4]), &error);
  CloseViewer(viewer);
  std::printf(saved ? "screenshot %s: %d x %d\n" : "no screenshot %s (%d x %d)\n", argv[4],
              window.width, window.height);
  return saved ? 0 : 1;
}
