#include "tools/check/machine.h"

#include <windows.h>

#include <cpuid.h>
#include <cstring>

#include "tools/check/stage_output.h"

namespace {

std::string WindowsVersion() {
  using RtlGetVersionFunction = LONG(WINAPI *)(OSVERSIONINFOW *);
  using WineVersionFunction = const char *(CDECL *)(void);
  HMODULE ntdll = GetModuleHandleA("ntdll.dll");
  auto getVersion = reinterpret_cast<RtlGetVersionFunction>(
      reinterpret_cast<void *>(GetProcAddress(ntdll, "RtlGetVersion")));
  auto wineVersion = reinterpret_cast<WineVersionFunction>(
      reinterpret_cast<void *>(GetProcAddress(ntdll, "wine_get_version")));
  OSVERSIONINFOW version = {};
  version.dwOSVersionInfoSize = sizeof version;
  std::string text = "Windows: unknown version";
  if (getVersion && getVersion(&version) == 0)
    text = Format("Windows %lu.%lu build %lu", version.dwMajorVersion, version.dwMinorVersion,
                  version.dwBuildNumber);
  if (wineVersion)
    text += Format(", under Wine %s", wineVersion());
  return text;
}

std::string Processor(bool *sse2) {
  unsigned a = 0, b = 0, c = 0, d = 0;
  *sse2 = __get_cpuid(1, &a, &b, &c, &d) && (d & bit_SSE2);
  char brand[49] = {};
  unsigned highest = __get_cpuid_max(0x80000000, nullptr);
  if (highest >= 0x80000004)
    for (unsigned leaf = 0; leaf < 3; ++leaf) {
      __get_cpuid(0x80000002 + leaf, &a, &b, &c, &d);
      unsigned words[4] = {a, b, c, d};
      std::memcpy(brand + leaf * 16, words, 16);
    }
  std::string name = brand;
  size_t first = name.find_first_not_of(' ');
  if (first == std::string::npos)
    return "a processor that does not give its name";
  return name.substr(first, name.find_last_not_of(' ') + 1 - first);
}

} // namespace

void ReportMachine(Report &report) {
  ReportLine(report,
             Format("   tkt-check %s (%d-bit)", TKT_VERSION, static_cast<int>(sizeof(void *) * 8)));
  ReportLine(report, "   " + WindowsVersion());
  bool sse2;
  std::string processor = Processor(&sse2);
  ReportLine(report, Format("   processor: %s; SSE2: %s (TKT_A1.QPL needs none)", processor.c_str(),
                            sse2 ? "yes" : "no"));
  UINT codePage = GetACP();
  if (codePage == 932)
    ReportLine(report, "   ANSI code page 932 (Japanese), as the description is written");
  else
    ReportLine(report,
               Format("warn ANSI code page %u, not 932: hosts show the plug-in's description "
                      "(code page 932) garbled here; set the system locale to Japanese",
                      codePage));
  HDC screen = GetDC(nullptr);
  int depth = GetDeviceCaps(screen, BITSPIXEL) * GetDeviceCaps(screen, PLANES);
  ReleaseDC(nullptr, screen);
  ReportLine(report, Format("   screen: %d bits per pixel", depth));
}
