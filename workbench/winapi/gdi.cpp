// Bitmaps, image lists and device contexts with real pixels. Bitmaps come from the module's own
// RT_BITMAP resources; image lists keep 32-bit copies of what is added (ILC_COLOR32 with no mask:
// drawing copies an image opaquely); a device context is a pixel canvas. Every bitmap and image
// list created and destroyed is counted, so leaks show. A null or unknown list, bitmap or device
// context makes a call fail as on Windows: nothing drawn or added, no crash.
#include <algorithm>
#include <cstring>

#include "workbench/pe/pe_resources.h"
#include "workbench/winapi/dib.h"
#include "workbench/winapi/gdi.h"
#include "workbench/winapi/standin.h"

namespace {

const uint32_t kBitmapTag = 0x05000000;
const uint32_t kImageListTag = 0x1A000000;
const uint32_t kCanvasTag = 0x01000000;

uint32_t NewHandle(Machine &m, uint32_t tag) {
  return tag | Gdi(m).nextHandle++;
}

LoadedModule *ModuleAt(Machine &m, uint32_t base) {
  for (LoadedModule &module : m.modules)
    if (module.base == base)
      return &module;
  return nullptr;
}

} // namespace

GdiState &Gdi(Machine &m) {
  return StateOf<GdiState>(m);
}

std::shared_ptr<const Pixels> ModuleBitmap(Machine &m, const LoadedModule &module, uint32_t id,
                                           std::string *error) {
  // Resources are read-only data: each is decoded once per module, and every bitmap loaded
  // from one shares its pixels.
  std::shared_ptr<const Pixels> &cached = Gdi(m).resourceBitmaps[{module.base, id}];
  if (cached)
    return cached;
  std::vector<uint8_t> resource;
  Pixels decoded;
  if (!FindResourceBytes(module.pe, kResourceTypeBitmap, id, &resource)) {
    *error = "no bitmap resource " + std::to_string(id);
    return nullptr;
  }
  if (!DecodeBitmapResource(resource, &decoded, error))
    return nullptr;
  return cached = std::make_shared<const Pixels>(std::move(decoded));
}

// Filled with copies of a first row: filled pixel by pixel, the canvas cost a tenth of a drawing.
uint32_t CreateCanvas(Machine &m, int32_t width, int32_t height, uint32_t fill) {
  uint32_t handle = NewHandle(m, kCanvasTag);
  Pixels &pixels = Gdi(m).canvases[handle].pixels;
  pixels.width = width;
  pixels.height = height;
  std::vector<uint32_t> row(static_cast<size_t>(width), fill);
  pixels.data.reserve(row.size() * static_cast<size_t>(height));
  for (int32_t y = 0; y < height; ++y)
    pixels.data.insert(pixels.data.end(), row.begin(), row.end());
  return handle;
}

namespace {

// Integer resource names only (MAKEINTRESOURCE, or "#id"), which is how modules name bitmaps.
uint32_t StandInLoadBitmapA(Machine &m, StandInCall &call) {
  uint32_t instance = call.arguments[0], name = call.arguments[1];
  uint32_t id = name;
  if (name >= 0x10000) {
    std::string text;
    if (!ReadGuestString(m, name, &text, 256)) {
      StopWithFault(m, "LoadBitmapA was given an unreadable name at " + DescribeAddress(m, name));
      return 0;
    }
    if (text.size() < 2 || text[0] != '#' ||
        text.find_first_not_of("0123456789", 1) != std::string::npos) {
      call.detail = "named bitmap \"" + text + "\" not supported";
      return 0;
    }
    id = static_cast<uint32_t>(std::stoul(text.substr(1)));
  }
  LoadedModule *module = ModuleAt(m, instance);
  if (!module) {
    call.detail = "no module at " + Hex32(instance);
    return 0;
  }
  std::shared_ptr<const Pixels> pixels = ModuleBitmap(m, *module, id, &call.detail);
  if (!pixels)
    return 0;
  uint32_t handle = NewHandle(m, kBitmapTag);
  if (m.log.enabled)
    call.detail = "bitmap " + std::to_string(id) + ", " + std::to_string(pixels->width) + "x" +
                  std::to_string(pixels->height);
  Gdi(m).bitmaps[handle] = std::move(pixels);
  ++Gdi(m).bitmapsCreated;
  return handle;
}

uint32_t StandInDeleteObject(Machine &m, StandInCall &call) {
  uint32_t object = call.arguments[0];
  if (Gdi(m).bitmaps.erase(object)) {
    ++Gdi(m).bitmapsDeleted;
    return 1;
  }
  if (object)
    m.problems.push_back("DeleteObject of " + Hex32(object) +
                         ", which is no live bitmap of the workbench");
  return 0;
}

uint32_t StandInImageListCreate(Machine &m, StandInCall &call) {
  int32_t width = static_cast<int32_t>(call.arguments[0]);
  int32_t height = static_cast<int32_t>(call.arguments[1]);
  if (width <= 0 || height <= 0 || width > 4096 || height > 4096)
    return 0;
  uint32_t handle = NewHandle(m, kImageListTag);
  Gdi(m).imageLists[handle] = ImageList{width, height, {}};
  ++Gdi(m).listsCreated;
  return handle;
}

// Adds as many images as fit across the bitmap; the index of the first, or -1.
uint32_t StandInImageListAdd(Machine &m, StandInCall &call) {
  uint32_t listHandle = call.arguments[0], bitmapHandle = call.arguments[1];
  auto list = Gdi(m).imageLists.find(listHandle);
  auto bitmap = Gdi(m).bitmaps.find(bitmapHandle);
  if (list == Gdi(m).imageLists.end() || bitmap == Gdi(m).bitmaps.end())
    return 0xFFFFFFFF;
  ImageList &images = list->second;
  int32_t count = bitmap->second->width / images.width;
  if (count == 0)
    return 0xFFFFFFFF;
  uint32_t first = static_cast<uint32_t>(images.images.size());
  for (int32_t k = 0; k < count; ++k)
    images.images.push_back({bitmap->second, k * images.width});
  return first;
}

// Copies the image opaquely (rows below a shorter bitmap are black); what falls outside the
// canvas is clipped and remembered.
uint32_t StandInImageListDraw(Machine &m, StandInCall &call) {
  uint32_t listHandle = call.arguments[0], index = call.arguments[1], dc = call.arguments[2];
  int64_t left = static_cast<int32_t>(call.arguments[3]);
  int64_t top = static_cast<int32_t>(call.arguments[4]);
  auto list = Gdi(m).imageLists.find(listHandle);
  auto canvas = Gdi(m).canvases.find(dc);
  if (list == Gdi(m).imageLists.end() || canvas == Gdi(m).canvases.end() ||
      index >= list->second.images.size())
    return 0;
  const ImageList &images = list->second;
  const Pixels &source = *images.images[index].source;
  Pixels &target = canvas->second.pixels;
  int64_t fromX = left < 0 ? -left : 0, toX = std::min<int64_t>(images.width, target.width - left);
  int64_t fromY = top < 0 ? -top : 0, toY = std::min<int64_t>(images.height, target.height - top);
  if (fromX > 0 || fromY > 0 || toX < images.width || toY < images.height)
    canvas->second.drewOutside = true;
  for (int64_t y = fromY; y < toY && fromX < toX; ++y) {
    uint32_t *row = &target.data[static_cast<size_t>((top + y) * target.width + left + fromX)];
    size_t count = static_cast<size_t>(toX - fromX);
    if (y < source.height)
      std::memcpy(
          row,
          &source.data[static_cast<size_t>(y * source.width + images.images[index].left + fromX)],
          count * 4);
    else
      std::fill(row, row + count, 0xFF000000u);
  }
  return 1;
}

// A null list fails quietly, as on Windows; any other unknown handle is the plug-in's misuse.
uint32_t StandInImageListDestroy(Machine &m, StandInCall &call) {
  uint32_t list = call.arguments[0];
  if (Gdi(m).imageLists.erase(list)) {
    ++Gdi(m).listsDestroyed;
    return 1;
  }
  if (list)
    m.problems.push_back("ImageList_Destroy of " + Hex32(list) + ", which is no live image list");
  return 0;
}

const StandIn kRows[] = {
    {"user32.dll", "LoadBitmapA", Arguments<2>(), Convention::Stdcall, StandInLoadBitmapA, true, 0},
    {"gdi32.dll", "DeleteObject", Arguments<1>(), Convention::Stdcall, StandInDeleteObject, false,
     0},
    {"comctl32.dll", "ImageList_Create", Arguments<5>(), Convention::Stdcall,
     StandInImageListCreate, true, 0},
    {"comctl32.dll", "ImageList_Add", Arguments<3>(), Convention::Stdcall, StandInImageListAdd,
     true, 0xFFFFFFFF},
    {"comctl32.dll", "ImageList_Draw", Arguments<6>(), Convention::Stdcall, StandInImageListDraw,
     false, 0},
    {"comctl32.dll", "ImageList_Destroy", Arguments<1>(), Convention::Stdcall,
     StandInImageListDestroy, false, 0},
};

} // namespace

extern const StandInFamily kGdiStandIns = FamilyOf(kRows);
