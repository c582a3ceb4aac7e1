// A combo box of the host, reached by its window handle. Message results are not examined.
#pragma once

#include <windows.h>

struct ComboBoxRef {
  HWND Window;
};

inline void Clear(ComboBoxRef box) {
  SendMessageA(box.Window, CB_RESETCONTENT, 0, 0);
}

inline void AddItem(ComboBoxRef box, const char *text) {
  SendMessageA(box.Window, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
}
