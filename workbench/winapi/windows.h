// Host windows the guest writes to, the window messages the stand-ins answer and the checks look
// for, and the host's way of making the windows (windows.cpp).
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

struct Machine;

// Numbered as Windows numbers them.
const uint32_t kWmSetText = 0x000C;
const uint32_t kCbAddString = 0x0143;
const uint32_t kCbGetCount = 0x0146;
const uint32_t kCbResetContent = 0x014B;

struct WindowModel {
  enum Kind { Edit, ComboBox } kind;
  std::string text;               // edit control
  std::vector<std::string> items; // combo box
};

// The machine's windows, by handle.
struct WindowModels {
  std::map<uint32_t, WindowModel> byHandle;
  uint32_t nextHandle = 0x00010010;
};
std::map<uint32_t, WindowModel> &WindowModelsOf(Machine &m);

// New models of an edit control and a combo box; their handles.
uint32_t CreateEditModel(Machine &m);
uint32_t CreateComboBoxModel(Machine &m);
