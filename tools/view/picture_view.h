// The child window that shows the picture: top-left at its own top-left, at 1, 2 or 4 screen
// pixels per picture pixel (never smoothed) or fitted to the window, with scroll bars where the
// picture is larger than the window.
#pragma once

#include <windows.h>

#include "tools/view/picture.h"

const int ZoomFit = 0;

HWND MakePictureView(HWND parent, int id);
// The view keeps the address: the picture must live as long as it is shown.
void ShowPicture(HWND view, const Picture *picture, int zoom);
