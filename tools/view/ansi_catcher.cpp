#include "tools/view/ansi_catcher.h"

namespace {

const char *ClassName = "TktViewTextCatcher";

LRESULT CALLBACK Catch(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto *caught = reinterpret_cast<CaughtTexts *>(GetWindowLongPtrA(window, GWLP_USERDATA));
  const char *text = reinterpret_cast<const char *>(lParam);
  switch (caught ? message : WM_NULL) {
  case WM_SETTEXT:
    caught->text = text ? text : "";
    return TRUE;
  case CB_RESETCONTENT:
    caught->entries.clear();
    return CB_OKAY;
  case CB_ADDSTRING:
    caught->entries.push_back(text ? text : "");
    return static_cast<LRESULT>(caught->entries.size() - 1);
  default:
    return DefWindowProcA(window, message, wParam, lParam);
  }
}

} // namespace

HWND MakeCatcher(CaughtTexts *caught) {
  HINSTANCE instance = GetModuleHandleA(nullptr);
  WNDCLASSA windowClass = {};
  if (!GetClassInfoA(instance, ClassName, &windowClass)) {
    windowClass.lpfnWndProc = Catch;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = ClassName;
    RegisterClassA(&windowClass);
  }
  HWND window =
      CreateWindowExA(0, ClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, instance, nullptr);
  if (window)
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(caught));
  return window;
}
