// Drives tkt-view by its window messages, as a user and a script would, and checks what it shows
// against the platform's own drawing of the same tickets and against the design's texts: a table
// of steps run in one viewer, faulty plug-ins included, and the viewer must still be running at
// the end. With --screen (a real display), the window's pixels are read off the screen as well.
// With --code-page, on a system whose code page is not 932, only what must differ there: the
// description still read as code page 932, and the window saying that the system's is another.
//   view_test VIEWER PRODUCT DESCRIPTION_CP932 WORK_FOLDER FAULT_MODULES [--screen|--code-page]
//             [OTHER_WIDTH]
// OTHER_WIDTH: the product built for the other width, which this viewer must refuse with why.
#include <windows.h>

#include <string>
#include <vector>

#include "tests/view/expected_pictures.h"
#include "tests/view/view_driver.h"
#include "tests/windows/check.h"
#include "tools/view/ui_text.h"
#include "tools/view/view_ids.h"

namespace {

enum class Act { Open, Compare, CloseCompare, Type, Key, Command, Nothing };
enum class See {
  Ticket,  // the saved picture is the platform's ticket (32 bits or one, as the view shows)
  Sheet,   // the saved picture is the platform's sheet
  Screen,  // the screen under the picture view is the platform's ticket at the zoom shown
  SetUp,   // record, description and entries are the design's
  Status,  // the status line holds every '|'-separated piece of `text`
  Differs, // the status counts the pixels (and tickets) where the planted copy differs
  Saved,   // the picture saved as sheet.png and sheet.bmp (compared by the calling script)
  Copied,  // the picture copied to the clipboard is the platform's ticket
};

struct Step {
  Act act;
  std::wstring argument; // path, number text, or key name
  int id;                // command or key code
  See see;
  std::wstring text;
};

struct State {
  RunningViewer viewer;
  HMODULE product, planted;
  std::string description;
  std::wstring work;
  bool screen;
  int32_t number;
  bool oneBit, sheet;
  int zoom;
};

void Perform(State &s, const Step &step) {
  switch (step.act) {
  case Act::Open:
    Request(s.viewer, VIEWER_OPEN, step.argument);
    break;
  case Act::Compare:
    Request(s.viewer, VIEWER_COMPARE, step.argument);
    break;
  case Act::CloseCompare:
    Command(s.viewer, IDM_CLOSE_COMPARE);
    break;
  case Act::Type:
    TypeNumber(s.viewer, step.argument);
    s.number = static_cast<int32_t>(static_cast<uint32_t>(_wtoi64(step.argument.c_str())));
    break;
  case Act::Key:
    CHECK(PressKey(s.viewer, step.id, step.argument), "key %d: the box shows \"%s\", not \"%s\"",
          step.id, Utf8(ControlText(s.viewer, IDC_NUMBER)).c_str(), Utf8(step.argument).c_str());
    s.number = _wtoi(step.argument.c_str());
    break;
  case Act::Nothing:
    break;
  case Act::Command:
    Command(s.viewer, step.id);
    if (step.id == IDM_ONE_BIT)
      s.oneBit = !s.oneBit;
    if (step.id == IDM_SHEET || step.id == IDM_TICKET)
      s.sheet = step.id == IDM_SHEET;
    if (step.id >= IDM_ZOOM_FIT && step.id <= IDM_ZOOM_4)
      s.zoom = step.id - IDM_ZOOM_FIT;
    break;
  }
}

// The first pixel where the pictures differ, for the message.
std::string FirstDifference(const Picture &got, const Picture &want) {
  if (got.width != want.width || got.height != want.height)
    return "size " + std::to_string(got.width) + " x " + std::to_string(got.height) + ", not " +
           std::to_string(want.width) + " x " + std::to_string(want.height);
  for (size_t i = 0; i < got.pixels.size(); ++i)
    if (got.pixels[i] != want.pixels[i]) {
      char text[96];
      wsprintfA(text, "pixel (%d, %d) 0x%06lx, not 0x%06lx", static_cast<int>(i % got.width),
                static_cast<int>(i / got.width), got.pixels[i], want.pixels[i]);
      return text;
    }
  return "";
}

void Verify(State &s, const Step &step, int index) {
  std::wstring status = ControlText(s.viewer, IDC_STATUS);
  switch (step.see) {
  case See::Ticket:
  case See::Sheet: {
    Picture want = step.see == See::Sheet ? PlatformSheet(s.product, s.oneBit)
                                          : PlatformTicket(s.product, s.number, s.oneBit);
    Picture got = SavedPicture(s.viewer, s.work + L"\\shown.bmp");
    std::string difference = FirstDifference(got, want);
    CHECK(difference.empty(), "step %d: ticket %d%s: %s (status: %s)", index,
          static_cast<int>(s.number), s.oneBit ? " (1 bit)" : "", difference.c_str(),
          Utf8(status).c_str());
    break;
  }
  case See::Copied: {
    Command(s.viewer, IDM_COPY);
    std::string difference =
        FirstDifference(ClipboardPicture(), PlatformTicket(s.product, s.number, s.oneBit));
    CHECK(difference.empty(), "step %d: on the clipboard: %s", index, difference.c_str());
    break;
  }
  case See::Screen: {
    if (!s.screen)
      break;
    Picture want = PlatformTicket(s.product, s.number, s.oneBit);
    if (s.zoom == 2)
      want = Doubled(want);
    std::string difference =
        FirstDifference(ScreenPicture(s.viewer, want.width, want.height), want);
    CHECK(difference.empty(), "step %d: the screen at zoom %d: %s", index, s.zoom,
          difference.c_str());
    break;
  }
  case See::Saved:
    for (const wchar_t *name : {L"\\sheet.png", L"\\sheet.bmp"})
      CHECK(Request(s.viewer, VIEWER_SAVE, s.work + name) == 1, "step %d: not saved: %s", index,
            Utf8(ControlText(s.viewer, IDC_STATUS)).c_str());
    break;
  case See::SetUp: {
    std::wstring record = ControlText(s.viewer, IDC_RECORD);
    std::wstring want = Format(Say(Text::Record), 4, 216, 97, 1);
    CHECK(record == want, "step %d: record \"%s\"", index, Utf8(record).c_str());
    std::wstring description(s.description.size(), L'\0');
    description.resize(MultiByteToWideChar(932, 0, s.description.data(),
                                           static_cast<int>(s.description.size()), &description[0],
                                           static_cast<int>(description.size())));
    std::wstring shown = ControlText(s.viewer, IDC_DESCRIPTION);
    CHECK(shown == description, "step %d: description \"%s\"", index, Utf8(shown).c_str());
    int entries = EntryCount(s.viewer), empty = 0;
    for (int i = 0; i < entries; ++i)
      empty += Entry(s.viewer, i).empty();
    CHECK(entries == 15 && empty == 15, "step %d: %d entries, %d of them empty", index, entries,
          empty);
    break;
  }
  case See::Status:
  case See::Differs: {
    std::wstring pieces = step.text;
    if (step.see == See::Differs) {
      int pixels = 0, tickets = 0;
      for (int n = s.sheet ? 0 : s.number; n <= (s.sheet ? 99 : s.number); ++n) {
        int d = CountDifferences(PlatformTicket(s.product, n, s.oneBit),
                                 PlatformTicket(s.planted, n, s.oneBit));
        pixels += d;
        tickets += d != 0;
      }
      CHECK(pixels > 0 || s.number == 7, "step %d: the planted copy differs nowhere", index);
      pieces = s.sheet ? Format(Say(Text::ComparedSheet), tickets, pixels)
                       : Format(Say(Text::ComparedOne), static_cast<long>(s.number), pixels);
    }
    for (size_t at = 0; at <= pieces.size();) {
      size_t end = pieces.find(L'|', at);
      std::wstring piece =
          pieces.substr(at, end == std::wstring::npos ? std::wstring::npos : end - at);
      CHECK(status.find(piece) != std::wstring::npos, "step %d: status \"%s\" lacks \"%s\"", index,
            Utf8(status).c_str(), Utf8(piece).c_str());
      at = end == std::wstring::npos ? pieces.size() + 1 : end + 1;
    }
    break;
  }
  }
  CHECK(StillRunning(s.viewer), "step %d: the viewer is no longer running", index);
}

} // namespace

int main(int argc, char **argv) {
  if (argc < 6) {
    std::printf("usage: view_test VIEWER PRODUCT DESCRIPTION_CP932 WORK_FOLDER FAULT_MODULES "
                "[--screen|--code-page] [OTHER_WIDTH]\n");
    return 2;
  }
  State s = {};
  std::wstring viewer = Wide(argv[1]), product = Wide(argv[2]), faults = Wide(argv[5]);
  s.work = Wide(argv[4]);
  s.screen = argc > 6 && std::string(argv[6]) == "--screen";
  bool codePage = argc > 6 && std::string(argv[6]) == "--code-page";
  int flags = s.screen || codePage;
  std::wstring otherWidth = argc > 6 + flags ? Wide(argv[6 + flags]) : L"";
  HANDLE file =
      CreateFileA(argv[3], GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  char bytes[512] = {};
  DWORD read = 0;
  ReadFile(file, bytes, sizeof bytes, &read, nullptr);
  CloseHandle(file);
  s.description.assign(bytes, read);
  std::wstring planted = PlantGlyph4Difference(product, s.work + L"\\glyph_4.qpl");
  std::wstring noDraw = WithoutDrawExport(product, s.work + L"\\no_draw.qpl");
  s.product = LoadLibraryW(product.c_str());
  s.planted = LoadLibraryExW(planted.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  CHECK(s.product && s.planted && !noDraw.empty(), "the product or its broken copies: %lu",
        GetLastError());
  s.number = 42;
  s.zoom = 1;
  if (!CHECK(StartViewer(viewer, L"\"" + product + L"\" 42", s.viewer), "no viewer window"))
    return Summary("view");

  std::vector<Step> steps = {
      // What a host sees, and the first ticket, named on the command line, at 1x.
      {Act::Type, L"42", 0, See::SetUp, L""},
      {Act::Type, L"42", 0, See::Ticket, L""},
      {Act::Type, L"42", 0, See::Status, L"DrawSeiriken(dc, 0, 0, 0, 0, 42, 0, 0)"},
      {Act::Type, L"42", 0, See::Screen, L""},
      // Stepping and typing; numbers beyond 0 to 99 as the call takes them.
      {Act::Key, L"43", VK_UP, See::Ticket, L""},
      {Act::Key, L"53", VK_PRIOR, See::Ticket, L""},
      {Act::Key, L"43", VK_NEXT, See::Ticket, L""},
      {Act::Key, L"42", VK_DOWN, See::Ticket, L""},
      {Act::Type, L"-5", 0, See::Ticket, L""},
      {Act::Type, L"65541", 0, See::Ticket, L""},
      {Act::Type, L"4294967295", 0, See::Ticket, L""},
      {Act::Type, L"4x", 0, See::Status, L"4x"},
      {Act::Type, L"7", 0, See::Ticket, L""},
      {Act::Nothing, L"", 0, See::Copied, L""},
      {Act::Command, L"", IDM_ZOOM_2, See::Screen, L""},
      {Act::Command, L"", IDM_ONE_BIT, See::Ticket, L""},
      {Act::Command, L"", IDM_ZOOM_1, See::Screen, L""},
      {Act::Command, L"", IDM_SHEET, See::Sheet, L""},
      {Act::Command, L"", IDM_ONE_BIT, See::Sheet, L""},
      {Act::Nothing, L"", 0, See::Saved, L""},
      // A copy whose glyph 4 differs: exactly the pixels the platform's drawings differ by.
      {Act::Compare, planted, 0, See::Differs, L""},
      {Act::Command, L"", IDM_TICKET, See::Differs, L""},
      {Act::Type, L"4", 0, See::Differs, L""},
      {Act::Type, L"44", 0, See::Differs, L""},
      {Act::CloseCompare, L"", 0, See::Ticket, L""},
      // Faulty plug-ins: each a message, the viewer goes on.
      {Act::Open, faults + L"\\crash.qpl", 0, See::Status,
       L"DrawSeiriken(dc, 0, 0, 0, 0, 44, 0, 0)"},
      {Act::Type, L"7", 0, See::Status, L"0xC00000|DrawSeiriken (7)|crash.qpl+0x"},
      {Act::Type, L"8", 0, See::Status, L"DrawSeiriken(dc, 0, 0, 0, 0, 8, 0, 0)"},
      {Act::Open, faults + L"\\hang.qpl", 0, See::Status, L"DrawSeiriken(dc, 0, 0, 0, 0, 8, 0, 0)"},
      {Act::Type, L"7", 0, See::Status, L"DrawSeiriken (7)"},
      {Act::Type, L"8", 0, See::Status, Say(Text::HungBefore)},
      {Act::Open, noDraw, 0, See::Status,
       Format(Say(Text::MissingExports), noDraw.c_str(), L"DrawSeiriken")},
      {Act::Open, Wide(argv[3]), 0, See::Status, L"193"},
      {Act::Open, s.work + L"\\no such file.qpl", 0, See::Status, L"126"},
  };
  if (sizeof(void *) == 4)
    steps.push_back({Act::Open, faults + L"\\cdecl.qpl", 0, See::Status, L"GetPlgInfo|-4"});
  if (!otherWidth.empty())
    steps.push_back(
        {Act::Open, otherWidth, 0, See::Status,
         Format(Say(Text::OtherWidth), otherWidth.c_str(), static_cast<int>(sizeof(void *) * 8))});
  // And the product once more, drawn as before.
  steps.push_back({Act::Open, product, 0, See::Ticket, L""});
  if (codePage)
    steps = {{Act::Type, L"42", 0, See::SetUp, L""},
             {Act::Type, L"42", 0, See::Status, Format(Say(Text::CodePageNot932), GetACP())}};
  for (size_t i = 0; i < steps.size(); ++i) {
    Perform(s, steps[i]);
    Verify(s, steps[i], static_cast<int>(i));
  }
  DWORD code = CloseViewer(s.viewer);
  CHECK(code == 0, "the viewer ended with %lu", code);
  return Summary("view");
}
