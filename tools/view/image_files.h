// The shown picture as a file (PNG or BMP) and on the clipboard. The PNG is written here, small
// and whole: 8-bit RGB rows in stored (uncompressed) deflate blocks, with their CRC-32 and
// Adler-32, since the system has no PNG writer that old Windows versions share.
#pragma once

#include <windows.h>

#include <string>

#include "tools/view/picture.h"

std::string EncodePng(const Picture &picture);
// 24 bits per pixel, bottom-up rows, as every Windows reads it.
std::string EncodeBmp(const Picture &picture);

// Writes the picture as BMP where the name ends in ".bmp", else as PNG. False with *error set.
bool SavePicture(const Picture &picture, const std::wstring &path, DWORD *error);

// Puts the picture on the clipboard as a device-independent bitmap. False with *error set.
bool CopyPicture(HWND owner, const Picture &picture, DWORD *error);
