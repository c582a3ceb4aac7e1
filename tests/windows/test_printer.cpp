// A PostScript printer for the tests: registers NAME with Wine's PostScript driver, its own
// generic PPD at 203 x 203 dpi (a thermal printer's resolution), printing to a file (the port
// FILE:, or the file a program names in StartDoc).
//   test_printer NAME
// Exit code 0 when the printer is ready, 1 when not, with a line saying what happened.
#include <windows.h>

#include <cstdio>
#include <string>

namespace {

const char *DriverName = "TKT_A1 test PostScript";

// Wine's PostScript driver carries a generic PPD as resource PPDFILE 1 of winspool.drv. Its
// default resolution becomes 203 dpi, written "203x203dpi": Wine reads "203dpi" as 20 x 3.
std::string GenericPpdAt203Dpi() {
  HMODULE winspool = LoadLibraryA("winspool.drv");
  HRSRC found = winspool ? FindResourceA(winspool, MAKEINTRESOURCEA(1), "PPDFILE") : nullptr;
  HGLOBAL loaded = found ? LoadResource(winspool, found) : nullptr;
  if (!loaded)
    return "";
  std::string ppd(static_cast<const char *>(LockResource(loaded)), SizeofResource(winspool, found));
  const std::string key = "*DefaultResolution:";
  size_t at = ppd.find(key);
  if (at == std::string::npos)
    return "";
  size_t end = ppd.find_first_of("\r\n", at);
  ppd.replace(at, end - at, key + " 203x203dpi");
  return ppd;
}

// Writes the PPD into the printer-driver folder; gives its path, or nothing.
std::string WriteDriverPpd() {
  std::string ppd = GenericPpdAt203Dpi();
  char folder[MAX_PATH];
  DWORD needed = 0;
  if (ppd.empty() ||
      !GetPrinterDriverDirectoryA(nullptr, nullptr, 1, reinterpret_cast<BYTE *>(folder),
                                  sizeof folder, &needed)) {
    std::printf("FAILED: no generic PPD in winspool.drv or no driver folder (error %lu)\n",
                GetLastError());
    return "";
  }
  std::string path = std::string(folder) + "\\tkt_a1_test_203dpi.ppd";
  HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  DWORD written = 0;
  bool saved = file != INVALID_HANDLE_VALUE &&
               WriteFile(file, ppd.data(), static_cast<DWORD>(ppd.size()), &written, nullptr) &&
               written == ppd.size();
  if (file != INVALID_HANDLE_VALUE)
    CloseHandle(file);
  if (!saved) {
    std::printf("FAILED: cannot write %s (error %lu)\n", path.c_str(), GetLastError());
    return "";
  }
  return path;
}

// Wine's driver gives a new printer 300 dpi whatever the PPD's default, so the printer's own
// settings are given 203 dpi.
bool SetResolution203(HANDLE printer) {
  DWORD size = 0;
  GetPrinterA(printer, 2, nullptr, 0, &size);
  std::string buffer(size, '\0');
  auto *settings = reinterpret_cast<PRINTER_INFO_2A *>(&buffer[0]);
  if (!size || !GetPrinterA(printer, 2, reinterpret_cast<BYTE *>(settings), size, &size) ||
      !settings->pDevMode)
    return false;
  settings->pDevMode->dmFields |= DM_PRINTQUALITY | DM_YRESOLUTION;
  settings->pDevMode->dmPrintQuality = 203;
  settings->pDevMode->dmYResolution = 203;
  return SetPrinterA(printer, 2, reinterpret_cast<BYTE *>(settings), 0);
}

bool AddTestPrinter(const char *name) {
  std::string ppdPath = WriteDriverPpd();
  if (ppdPath.empty())
    return false;
  DRIVER_INFO_3A driver = {};
  driver.cVersion = 3;
  driver.pName = const_cast<char *>(DriverName);
  driver.pDriverPath = const_cast<char *>("wineps.drv");
  driver.pConfigFile = const_cast<char *>("wineps.drv");
  driver.pDataFile = &ppdPath[0];
  driver.pDefaultDataType = const_cast<char *>("RAW");
  if (!AddPrinterDriverExA(nullptr, 3, reinterpret_cast<BYTE *>(&driver), APD_COPY_NEW_FILES)) {
    std::printf("FAILED: AddPrinterDriverExA (error %lu)\n", GetLastError());
    return false;
  }
  // A printer of that name from an earlier run goes first: it keeps the settings it was made with.
  HANDLE printer = nullptr;
  if (OpenPrinterA(const_cast<char *>(name), &printer, nullptr)) {
    DeletePrinter(printer);
    ClosePrinter(printer);
  }
  PRINTER_INFO_2A info = {};
  info.pPrinterName = const_cast<char *>(name);
  info.pPortName = const_cast<char *>("FILE:");
  info.pDriverName = const_cast<char *>(DriverName);
  info.pDatatype = const_cast<char *>("RAW");
  info.pPrintProcessor = const_cast<char *>("winprint");
  printer = AddPrinterA(nullptr, 2, reinterpret_cast<BYTE *>(&info));
  if (!printer) {
    std::printf("FAILED: AddPrinterA (error %lu)\n", GetLastError());
    return false;
  }
  bool set = SetResolution203(printer);
  ClosePrinter(printer);
  if (!set) {
    std::printf("FAILED: the printer's resolution cannot be set (error %lu)\n", GetLastError());
    return false;
  }
  std::printf("printer \"%s\" ready: Wine's PostScript driver at 203 x 203 dpi\n", name);
  return true;
}

} // namespace

int main(int argc, char **argv) {
  if (argc != 2) {
    std::printf("usage: test_printer NAME\n");
    return 2;
  }
  return AddTestPrinter(argv[1]) ? 0 : 1;
}
