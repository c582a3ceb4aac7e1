// Critical sections as recursive mutexes living inside the caller's CRITICAL_SECTION record.
#include <mutex>
#include <new>

#include "native_winapi/windows_standin.h"

static_assert(sizeof(std::recursive_mutex) <= sizeof(CRITICAL_SECTION::opaque),
              "CRITICAL_SECTION too small for the mutex");

namespace {
std::recursive_mutex &MutexOf(CRITICAL_SECTION *section) {
  return *std::launder(reinterpret_cast<std::recursive_mutex *>(section->opaque));
}
} // namespace

void InitializeCriticalSection(CRITICAL_SECTION *section) {
  new (section->opaque) std::recursive_mutex();
}
void EnterCriticalSection(CRITICAL_SECTION *section) {
  MutexOf(section).lock();
}
void LeaveCriticalSection(CRITICAL_SECTION *section) {
  MutexOf(section).unlock();
}
