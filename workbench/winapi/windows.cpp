// Host windows the guest writes to: an edit control that keeps its text and a combo box that
// keeps its list. Handles the workbench did not create answer as Windows does for an invalid
// window: 0, nothing changed.
#include "workbench/winapi/windows.h"
#include "workbench/emulator/cp932.h"
#include "workbench/winapi/standin.h"

namespace {

const uint32_t kCbErr = 0xFFFFFFFF;

uint32_t NewWindow(Machine &m, WindowModel::Kind kind) {
  WindowModels &windows = StateOf<WindowModels>(m);
  uint32_t handle = windows.nextHandle;
  windows.nextHandle += 4;
  windows.byHandle[handle] = WindowModel{kind, "", {}};
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

bool IsComboBoxMessage(uint32_t message) {
  return message == kCbResetContent || message == kCbAddString || message == kCbGetCount;
}

uint32_t StandInSetWindowTextA(Machine &m, StandInCall &call) {
  uint32_t window = call.arguments[0], address = call.arguments[1];
  std::string text;
  if (!ReadText(m, address, &text, "SetWindowTextA"))
    return 0;
  call.detail = QuoteText(text);
  auto found = WindowModelsOf(m).find(window);
  if (found == WindowModelsOf(m).end())
    return 0;
  found->second.text = text;
  return 1;
}

// A message the stand-in does not know is the plug-in asking for something the workbench cannot
// show: it is answered 0, as DefWindowProc answers most messages, and reported as a problem. A
// combo box's message sent to an edit control is the host's mix-up, answered 0 as the edit
// control answers it.
uint32_t StandInSendMessageA(Machine &m, StandInCall &call) {
  uint32_t handle = call.arguments[0], message = call.arguments[1], lParam = call.arguments[3];
  auto found = WindowModelsOf(m).find(handle);
  if (found == WindowModelsOf(m).end())
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
  if (!IsComboBoxMessage(message)) {
    m.problems.push_back("SendMessageA: message " + Hex32(message) + " to " + Hex32(handle) +
                         ", which the workbench does not know");
    call.detail = "unknown message";
    return 0;
  }
  if (window.kind != WindowModel::ComboBox)
    return 0;
  if (message == kCbResetContent) {
    call.detail = "CB_RESETCONTENT";
    window.items.clear();
    return 0;
  }
  if (message == kCbAddString) {
    if (!ReadText(m, lParam, &text, "SendMessageA"))
      return kCbErr;
    call.detail = "CB_ADDSTRING " + QuoteText(text);
    window.items.push_back(text);
    return static_cast<uint32_t>(window.items.size() - 1);
  }
  call.detail = "CB_GETCOUNT";
  return static_cast<uint32_t>(window.items.size());
}

const StandIn kRows[] = {
    {"user32.dll", "SetWindowTextA", Arguments<2>(), Convention::Stdcall, StandInSetWindowTextA,
     false, 0},
    {"user32.dll", "SendMessageA", Arguments<4>(), Convention::Stdcall, StandInSendMessageA, false,
     0},
};

} // namespace

extern const StandInFamily kWindowStandIns = FamilyOf(kRows);

std::map<uint32_t, WindowModel> &WindowModelsOf(Machine &m) {
  return StateOf<WindowModels>(m).byHandle;
}

uint32_t CreateEditModel(Machine &m) {
  return NewWindow(m, WindowModel::Edit);
}
uint32_t CreateComboBoxModel(Machine &m) {
  return NewWindow(m, WindowModel::ComboBox);
}
