#include "workbench/host/soak.h"

#include <chrono>
#include <random>

#include "design/ticket_design.h"
#include "workbench/host/leak_check.h"
#include "workbench/host/ticket_picture.h"
#include "workbench/winapi/standin.h"

namespace {

const uint32_t kWhite = 0xFFFFFFFF;

// The same as before the soak: heap blocks, live texts, no bitmap or image list, no misuse.
std::string Drift(Plugin &p, const SoakReport &report) {
  TextStoreSnapshot snapshot;
  std::string error;
  if (!ReadGuestTextStore(p, &snapshot, &error))
    return error;
  if (snapshot.store.count != report.textsBefore)
    return std::to_string(snapshot.store.count) + " live texts instead of " +
           std::to_string(report.textsBefore);
  return LeftBehind(p, report.heapBlocksBefore);
}

} // namespace

SoakReport Soak(Plugin &p, uint64_t tickets) {
  SoakReport report;
  TextStoreSnapshot snapshot;
  if (!ReadGuestTextStore(p, &snapshot, &report.problem))
    return report;
  report.textsBefore = snapshot.store.count;
  report.heapBlocksBefore = LiveHeapBlockCount(p.m);
  const GdiState before = Gdi(p.m);

  // The log would grow by a hundred entries per ticket; the models' state is what counts here.
  bool logging = p.m.log.enabled;
  p.m.log.enabled = false;
  uint32_t dc = CreateCanvas(p.m, design::FaceWidth, design::FaceHeight, kWhite);
  std::mt19937 random(20261209);
  auto start = std::chrono::steady_clock::now();
  for (uint64_t i = 0; i < tickets && report.problem.empty(); ++i) {
    uint32_t ticket = i % 2 ? random() : static_cast<uint32_t>(i / 2 % 100);
    Pixels &picture = Gdi(p.m).canvases[dc].pixels;
    std::fill(picture.data.begin(), picture.data.end(), kWhite);
    uint32_t result = 0;
    std::string error;
    std::string at = "ticket " + std::to_string(i + 1) + " (" + Hex32(ticket) + "): ";
    if (!CallPlugin(p, "DrawSeiriken", {dc, 0, 0, 0, 0, ticket, 0, 0}, &result, &error))
      report.problem = at + error;
    else if (result != 0)
      report.problem = at + "result " + std::to_string(result);
    else if (i % 97 == 0) // a prime step, so that the tickets checked vary
      report.problem = WrongFigure(p, picture, static_cast<int32_t>(ticket), kWhite);
    if (report.problem.empty() && (i % 1000 == 999 || i + 1 == tickets))
      report.problem = Drift(p, report);
    if (!report.problem.empty() && report.problem.compare(0, at.size(), at) != 0)
      report.problem = at + report.problem;
    report.tickets = i + 1;
  }
  report.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  Gdi(p.m).canvases.erase(dc);
  p.m.log.enabled = logging;

  std::string error;
  report.textsAfter = ReadGuestTextStore(p, &snapshot, &error) ? snapshot.store.count : -1;
  report.heapBlocksAfter = LiveHeapBlockCount(p.m);
  report.bitmapsLoaded = Gdi(p.m).bitmapsCreated - before.bitmapsCreated;
  report.bitmapsDeleted = Gdi(p.m).bitmapsDeleted - before.bitmapsDeleted;
  report.listsCreated = Gdi(p.m).listsCreated - before.listsCreated;
  report.listsDestroyed = Gdi(p.m).listsDestroyed - before.listsDestroyed;
  return report;
}
