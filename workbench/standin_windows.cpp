// Host windows the guest writes to: an edit control that keeps its text and a combo box that
// keeps its list. Handles the workbench did not create answer as Windows does for an invalid
// window: 0, nothing changed.
#include "workbench/cp932.h"
#include "workbench/standins.h"
#include "workbench/window_messages.h"

namespace {

const uint32_t kCbErr = 0xFFFFFFFF;

uint32_t NewWindow(Machine &m, WindowModel::Kind kind) {
  uint32_t handle = m.nextWindow;
  m.nextWindow += 4;
  m.windows[handle] = WindowModel{kind, "", {}};
  return handle;
}

bool ReadText(Machine &m, uint32_t address, std::string *text, const char *function) {
  if (address == 0) {
    text->clear();
    return true;
  }
  if (ReadGuestString(m, address, text))
    return true;
  StopWithFault(m, std::string(function) + " was given an unreadable text at " +
                       DescribeAddress(m, address));
  return false;
}

} // namespace

uint32_t CreateEditModel(Machine &m) {
  return NewWindow(m, WindowModel::Edit);
}
uint32_t CreateComboBoxModel(Machine &m) {
  return NewWindow(m, WindowModel::ComboBox);
}

uint32_t StandInSetWindowTextA(Machine &m, StandInCall &call) {
  std::string text;
  if (!ReadText(m, call.arguments[1], &text, "SetWindowTextA"))
    return 0;
  call.detail = QuoteText(text);
  auto window = m.windows.find(call.arguments[0]);
  if (window == m.windows.end())
    return 0;
  window->second.text = text;
  return 1;
}

uint32_t StandInSendMessageA(Machine &m, StandInCall &call) {
  uint32_t message = call.arguments[1], lParam = call.arguments[3];
  auto found = m.windows.find(call.arguments[0]);
  if (found == m.windows.end())
    return 0;
  WindowModel &window = found->second;
  std::string text;
  if (message == kWmSetText) {
    if (!ReadText(m, lParam, &text, "SendMessageA"))
      return 0;
    call.detail = "WM_SETTEXT " + QuoteText(text);
    window.text = text;
    return 1;
  }
  if (window.kind != WindowModel::ComboBox)
    return 0;
  switch (message) {
  case kCbResetContent:
    call.detail = "CB_RESETCONTENT";
    window.items.clear();
    return 0;
  case kCbAddString:
    if (!ReadText(m, lParam, &text, "SendMessageA"))
      return kCbErr;
    call.detail = "CB_ADDSTRING " + QuoteText(text);
    window.items.push_back(text);
    return static_cast<uint32_t>(window.items.size() - 1);
  case kCbGetCount:
    call.detail = "CB_GETCOUNT";
    return static_cast<uint32_t>(window.items.size());
  default:
    return 0;
  }
}
