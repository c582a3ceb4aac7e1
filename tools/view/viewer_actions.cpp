#include "tools/view/viewer.h"

#include <cwchar>

#include "common/sheet_layout.h"
#include "tools/view/image_files.h"
#include "tools/view/picture_view.h"
#include "tools/view/ui_text.h"

namespace {

void Append(std::wstring &text, const std::wstring &line) {
  if (!line.empty())
    text += (text.empty() ? L"" : L"\r\n") + line;
}

std::wstring RecordText(const ViewedPlugin &p) {
  if (!p.module || !p.getPlgInfo)
    return L"";
  return Format(Say(Text::Record), p.record[0], p.record[1], p.record[2], p.infoResult);
}

// The record, the description and the entries of the first plug-in into their controls.
void ShowSetUp(Viewer &v) {
  const ViewedPlugin &p = v.first;
  SetWindowTextW(v.plugin, p.path.c_str());
  SetWindowTextW(v.record, RecordText(p).c_str());
  SetWindowTextW(v.description, FromCodePage932(p.description).c_str());
  SendMessageW(v.entries, CB_RESETCONTENT, 0, 0);
  for (const std::string &entry : p.entries)
    SendMessageW(v.entries, CB_ADDSTRING, 0,
                 reinterpret_cast<LPARAM>(FromCodePage932(entry).c_str()));
  SendMessageW(v.entries, CB_SETCURSEL, 0, 0);
  // The entries may all be empty: their count says what the box cannot show.
  std::wstring entries = Say(Text::LabelEntries);
  if (p.module && p.setCorpAddList)
    entries +=
        L" " + Format(Say(Text::EntriesCount), static_cast<int>(p.entries.size()), p.listResult);
  SetDlgItemTextW(v.window, IdEntriesLabel, entries.c_str());
  SetWindowTextW(v.compared, v.second.path.c_str());
  size_t slash = p.path.find_last_of(L"\\/");
  std::wstring name = p.path.substr(slash == std::wstring::npos ? 0 : slash + 1);
  SetWindowTextW(v.window, ((name.empty() ? L"" : name + L" - ") + L"tkt-view").c_str());
}

std::vector<int32_t> ShownNumbers(const Viewer &v) {
  std::vector<int32_t> numbers;
  if (!v.sheet)
    numbers.push_back(v.ticket);
  else
    for (int32_t n = 0; n < SheetTickets; ++n)
      numbers.push_back(n);
  return numbers;
}

// The tickets of one plug-in as the window shows them: one ticket, or the sheet.
Picture Shown(const Viewer &v, const ViewedPlugin &p, const std::vector<Picture> &tickets) {
  if (tickets.empty())
    return Picture();
  if (!v.sheet)
    return tickets[0];
  return ComposeSheet(tickets, TicketWidth(p), TicketHeight(p), v.oneBit);
}

} // namespace

void SetStatus(Viewer &v, const std::wstring &text) {
  SetWindowTextW(v.status, text.c_str());
}

bool OpenFirst(Viewer &v, const std::wstring &path) {
  ClosePlugin(v.first);
  v.firstMessage = OpenPlugin(path, v.first);
  ShowSetUp(v);
  Refresh(v);
  return v.firstMessage.empty();
}

bool OpenSecond(Viewer &v, const std::wstring &path) {
  ClosePlugin(v.second);
  v.secondMessage = OpenPlugin(path, v.second);
  ShowSetUp(v);
  SetCommandChecks(v);
  Refresh(v);
  return v.secondMessage.empty();
}

void CloseSecond(Viewer &v) {
  ClosePlugin(v.second);
  v.secondMessage.clear();
  ShowSetUp(v);
  SetCommandChecks(v);
  Refresh(v);
}

void Refresh(Viewer &v) {
  std::wstring status;
  if (!v.first.module && v.firstMessage.empty())
    Append(status, Say(Text::NoPlugin));
  Append(status, v.firstMessage);
  Append(status, v.secondMessage);
  std::vector<int32_t> numbers = ShownNumbers(v);
  std::vector<Picture> first, second;
  int32_t result = 0, secondResult = 0;
  Append(status, DrawTickets(v.first, numbers, v.oneBit, first, &result));
  bool comparing = v.second.module != nullptr;
  if (comparing)
    Append(status, DrawTickets(v.second, numbers, v.oneBit, second, &secondResult));
  Picture a = Shown(v, v.first, first);
  if (!comparing || second.size() != first.size() || first.empty()) {
    v.shown = a;
    if (!first.empty() && first.size() == numbers.size())
      Append(status, v.sheet ? std::wstring(Say(Text::SheetDrawn))
                             : Format(Say(Text::Drawn), static_cast<long>(v.ticket), result));
  } else {
    Picture b = Shown(v, v.second, second);
    int pixels = 0;
    Picture marks = Differences(a, b, &pixels);
    v.shown = SideBySide({&a, &b, &marks});
    if (v.sheet) {
      int tickets = 0;
      for (size_t i = 0; i < first.size(); ++i)
        tickets += CountDifferences(first[i], second[i]) != 0;
      Append(status, Format(Say(Text::ComparedSheet), tickets, pixels));
    } else {
      Append(status, Format(Say(Text::ComparedOne), static_cast<long>(v.ticket), pixels));
    }
  }
  if (GetACP() != 932)
    Append(status, Format(Say(Text::CodePageNot932), GetACP()));
  SetStatus(v, status);
  ShowPicture(v.view, &v.shown, v.zoom);
}

void NumberTyped(Viewer &v) {
  wchar_t text[64] = {};
  GetWindowTextW(v.number, text, 64);
  wchar_t *end = nullptr;
  long long value = std::wcstoll(text, &end, 10);
  bool number = end != text && *end == L'\0' && value >= INT32_MIN && value <= UINT32_MAX;
  if (!number) {
    v.shown = Picture();
    ShowPicture(v.view, &v.shown, v.zoom);
    SetStatus(v, Format(Say(Text::NotANumber), text));
    return;
  }
  v.ticket = static_cast<int32_t>(static_cast<uint32_t>(value));
  Refresh(v);
}

void StepNumber(Viewer &v, int32_t step) {
  // Every 32-bit number is one a host may pass: the steps go round as 32-bit numbers do.
  v.ticket = static_cast<int32_t>(static_cast<uint32_t>(v.ticket) + static_cast<uint32_t>(step));
  // Setting the text has the box tell of the change, which draws the ticket.
  SetWindowTextW(v.number, Format(L"%ld", static_cast<long>(v.ticket)).c_str());
}

bool SaveShown(Viewer &v, const std::wstring &path) {
  DWORD error = ERROR_INVALID_DATA;
  bool saved = v.shown.width && SavePicture(v.shown, path, &error);
  SetStatus(v, saved ? Format(Say(Text::Saved), path.c_str())
                     : Format(Say(Text::NotSaved), path.c_str(), error));
  return saved;
}

bool CopyShown(Viewer &v) {
  DWORD error = ERROR_INVALID_DATA;
  bool copied = v.shown.width && CopyPicture(v.window, v.shown, &error);
  SetStatus(v, copied ? std::wstring(Say(Text::Copied)) : Format(Say(Text::NotCopied), error));
  return copied;
}
