// Has tkt-view print tickets in its one-bit view, one per page, on a printer that writes a file,
// and writes beside it what each page must hold: the platform's own drawing of the ticket, as a
// BMP file per page. The calling script renders the file and looks for each picture on its page.
//   view_print_test VIEWER PRODUCT PRINTER OUTPUT_FILE WORK_FOLDER FIRST LAST
#include <windows.h>

#include <string>

#include "tests/view/expected_pictures.h"
#include "tests/view/view_driver.h"
#include "tests/windows/check.h"
#include "tools/view/image_files.h"
#include "tools/view/view_ids.h"

int main(int argc, char **argv) {
  if (argc != 8) {
    std::printf("usage: view_print_test VIEWER PRODUCT PRINTER OUTPUT_FILE WORK_FOLDER FIRST "
                "LAST\n");
    return 2;
  }
  int first = atoi(argv[6]), last = atoi(argv[7]);
  HMODULE product = LoadLibraryA(argv[2]);
  CHECK(product != nullptr, "%s: error %lu", argv[2], GetLastError());
  RunningViewer viewer;
  if (!CHECK(StartViewer(Wide(argv[1]), L"\"" + Wide(argv[2]) + L"\" 0", viewer), "no viewer"))
    return Summary("view_print");
  Command(viewer, IDM_ONE_BIT);
  std::wstring request =
      Wide(argv[3]) + L"|" + Wide(argv[4]) + L"|" + Wide(argv[6]) + L"|" + Wide(argv[7]) + L"|1";
  LRESULT printed = Request(viewer, VIEWER_PRINT, request);
  CHECK(printed == 1, "the viewer did not print: %s",
        Utf8(ControlText(viewer, IDC_STATUS)).c_str());
  CHECK(StillRunning(viewer), "the viewer is no longer running");
  CloseViewer(viewer);
  for (int n = first; n <= last && product; ++n) {
    DWORD error = 0;
    std::wstring path = Wide(argv[5]) + L"\\expected_" + std::to_wstring(n) + L".bmp";
    CHECK(SavePicture(PlatformTicket(product, n, true), path, &error), "%s: error %lu",
          Utf8(path).c_str(), error);
  }
  return Summary("view_print");
}
