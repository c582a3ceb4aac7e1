// The table of stand-ins, gathered from the families' rows, and its look-ups.
#include <strings.h>

#include <vector>

#include "workbench/winapi/standin.h"

// Each family's rows, defined beside its handlers.
extern const StandInFamily kHeapStandIns, kSyncStandIns, kDebugStandIns, kStringStandIns,
    kWindowStandIns, kGdiStandIns;

namespace {

const std::vector<const StandIn *> &Table() {
  static const std::vector<const StandIn *> table = [] {
    std::vector<const StandIn *> all;
    for (const StandInFamily *family : {&kHeapStandIns, &kSyncStandIns, &kDebugStandIns,
                                        &kStringStandIns, &kWindowStandIns, &kGdiStandIns})
      for (size_t i = 0; i < family->count; ++i)
        all.push_back(&family->rows[i]);
    return all;
  }();
  return table;
}

int StandInIndex(const std::string &name) {
  for (size_t i = 0; i < StandInCount(); ++i)
    if (name == StandInAt(i).name)
      return static_cast<int>(i);
  return -1;
}

} // namespace

size_t StandInCount() {
  return Table().size();
}

const StandIn &StandInAt(size_t index) {
  return *Table()[index];
}

uint32_t StandInAddress(size_t index) {
  return kThunkBase + static_cast<uint32_t>(index) * kThunkStride;
}

bool StandInAtAddress(uint32_t address, size_t *index) {
  uint32_t offset = address - kThunkBase;
  if (address < kThunkBase || offset % kThunkStride != 0 || offset / kThunkStride >= StandInCount())
    return false;
  *index = offset / kThunkStride;
  return true;
}

int FindStandIn(const std::string &dll, const std::string &name) {
  for (size_t i = 0; i < StandInCount(); ++i)
    if (strcasecmp(StandInAt(i).dll, dll.c_str()) == 0 && name == StandInAt(i).name)
      return static_cast<int>(i);
  return -1;
}

bool FailNthCall(Machine &m, const std::string &name, uint32_t nth) {
  int index = StandInIndex(name);
  if (index < 0 || !StandInAt(static_cast<size_t>(index)).canFail)
    return false;
  StateOf<StandInCalls>(m).failCountdown[static_cast<size_t>(index)] = nth;
  return true;
}

std::string FailingStandInNames() {
  std::string names;
  for (size_t i = 0; i < StandInCount(); ++i)
    if (StandInAt(i).canFail)
      names += std::string(names.empty() ? "" : ", ") + StandInAt(i).name;
  return names;
}

uint64_t CallCount(Machine &m, const std::string &name) {
  int index = StandInIndex(name);
  return index < 0 ? 0 : StateOf<StandInCalls>(m).counts[static_cast<size_t>(index)];
}

uint64_t InjectedFailures(Machine &m) {
  return StateOf<StandInCalls>(m).injectedFailures;
}
