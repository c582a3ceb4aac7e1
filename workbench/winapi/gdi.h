// Bitmaps, image lists and device contexts with real pixels, and what the host makes and reads of
// them (gdi.cpp).
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "workbench/winapi/pixels.h"

struct LoadedModule;
struct Machine;

// One image of a list: a width-wide slice of a bitmap's pixels from column `left`. Bitmaps never
// change after loading, so sharing their pixels is as good as the copy Windows keeps.
struct ImageSlice {
  std::shared_ptr<const Pixels> source;
  int32_t left;
};

struct ImageList {
  int32_t width, height;
  std::vector<ImageSlice> images;
};

// A device context that is a pixel canvas; drawing outside it is clipped and remembered.
struct Canvas {
  Pixels pixels;
  bool drewOutside = false;
};

struct GdiState {
  uint32_t nextHandle = 1;
  // Decoded RT_BITMAP resources, by module base and id; shared with the bitmaps loaded from them,
  // which never change.
  std::map<std::pair<uint32_t, uint32_t>, std::shared_ptr<const Pixels>> resourceBitmaps;
  std::map<uint32_t, std::shared_ptr<const Pixels>> bitmaps;
  std::map<uint32_t, ImageList> imageLists;
  std::map<uint32_t, Canvas> canvases;
  uint64_t bitmapsCreated = 0, bitmapsDeleted = 0, listsCreated = 0, listsDestroyed = 0;
};

// The pixels of a module's RT_BITMAP resource, decoded once; null with a message when there is
// none or it cannot be decoded.
std::shared_ptr<const Pixels> ModuleBitmap(Machine &m, const LoadedModule &module, uint32_t id,
                                           std::string *error);
// The machine's bitmaps, image lists and device contexts.
GdiState &Gdi(Machine &m);

// A canvas of the given size filled with one colour; its handle.
uint32_t CreateCanvas(Machine &m, int32_t width, int32_t height, uint32_t fill);
