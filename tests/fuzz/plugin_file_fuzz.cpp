// The workbench reading a plug-in file it is given (tkt-workbench --plugin FILE), on any bytes:
// parsed as a 32-bit PE DLL (headers, sections, exports, imports), its bitmaps looked up and
// decoded as LoadBitmapA does, opened in the emulator as every command opens it (DllMain
// included, on a short budget), then loaded once more where its preferred base is taken, so that
// its base relocations are applied. Every input must end in a result or a message.
#include <cstddef>
#include <cstdint>

#include "resources/resource_ids.h"
#include "tests/fuzz/fuzz_check.h"
#include "workbench/emulator/loader.h"
#include "workbench/host/plugin_host.h"
#include "workbench/pe/pe_resources.h"
#include "workbench/winapi/dib.h"

namespace {

// Enough for any real DllMain; a hostile one that loops stops here instead of at the
// workbench's own budget, which is sized for drawing thousands of tickets.
const uint64_t kBlockBudget = 100000;

// The bitmaps the plug-in loads.
const uint32_t kBitmaps[] = {IDB_TICKET_FACE, IDB_DIGIT_0, IDB_DIGIT_1, IDB_DIGIT_2,
                             IDB_DIGIT_3,     IDB_DIGIT_4, IDB_DIGIT_5, IDB_DIGIT_6,
                             IDB_DIGIT_7,     IDB_DIGIT_8, IDB_DIGIT_9};

void DecodeBitmaps(const PeImage &pe) {
  for (uint32_t resourceId : kBitmaps) {
    std::vector<uint8_t> resource;
    Pixels pixels;
    std::string error;
    if (!FindResourceBytes(pe, kResourceTypeBitmap, resourceId, &resource))
      continue;
    if (!DecodeBitmapResource(resource, &pixels, &error))
      FUZZ_CHECK(!error.empty(), "bitmap %u refused without a message", resourceId);
    else
      FUZZ_CHECK(pixels.data.size() == uint64_t{uint32_t(pixels.width)} * uint32_t(pixels.height),
                 "bitmap %u: %zu pixels for %d x %d", resourceId, pixels.data.size(), pixels.width,
                 pixels.height);
  }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  const std::vector<uint8_t> bytes(data, data + size);
  std::string error;
  PeImage pe;
  if (!ParsePeImage(bytes, &pe, &error)) {
    FUZZ_CHECK(!error.empty(), "a file refused without a message");
    return 0;
  }
  DecodeBitmaps(pe);

  Plugin p;
  p.m.blockBudget = kBlockBudget;
  uint32_t result = 0;
  bool opened =
      LoadPluginBytes(p, "fuzzed.qpl", bytes, &error) && CallDllMain(p, 1, &result, &error);
  FUZZ_CHECK(opened || !error.empty(), "a plug-in refused without a message");
  if (p.module < 0)
    return 0;
  error.clear();
  int moved = LoadModuleBytes(p.m, "moved.qpl", bytes, &error);
  FUZZ_CHECK(moved < 0 ? !error.empty()
                       : p.m.modules[size_t(moved)].base != p.m.modules[size_t(p.module)].base,
             "the second copy: %s", error.c_str());
  return 0;
}
