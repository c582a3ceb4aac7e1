#include "tools/check/plugin_calls.h"

#include <map>

namespace {

#if defined(__i386__)
// Pushes `count` arguments right to left, calls `function`, and gives how far the stack pointer
// is from where it was before the pushes (0 for a callee that removes exactly its arguments).
// The stack pointer and the registers the caller keeps are restored from memory, whatever the
// callee left in them.
extern "C" uint32_t CallMeasuringStack(const void *function, const uintptr_t *args, uint32_t count,
                                       int32_t *drift);
asm(".data\n"
    "checkerSavedStack: .long 0\n"
    ".text\n"
    ".globl _CallMeasuringStack\n"
    "_CallMeasuringStack:\n"
    "  pushl %ebp\n"
    "  movl %esp, %ebp\n"
    "  pushl %ebx\n"
    "  pushl %esi\n"
    "  pushl %edi\n"
    "  movl %esp, checkerSavedStack\n"
    "  movl 12(%ebp), %esi\n"
    "  movl 16(%ebp), %ecx\n"
    "1:\n"
    "  testl %ecx, %ecx\n"
    "  jz 2f\n"
    "  decl %ecx\n"
    "  pushl (%esi,%ecx,4)\n"
    "  jmp 1b\n"
    "2:\n"
    "  call *8(%ebp)\n"
    "  movl %esp, %edx\n"
    "  subl checkerSavedStack, %edx\n"
    "  movl checkerSavedStack, %esp\n"
    "  movl 32(%esp), %ecx\n"
    "  movl %edx, (%ecx)\n"
    "  popl %edi\n"
    "  popl %esi\n"
    "  popl %ebx\n"
    "  popl %ebp\n"
    "  ret\n");
#endif

std::map<std::string, int32_t> stackFaults; // export: first distance seen

} // namespace

bool LoadPlugin(const std::string &path, LoadedPlugin &plugin, std::string *reason) {
  plugin = {};
  plugin.path = path;
  BeginCall("DllMain (process attach, through LoadLibrary)", NoTicket);
  plugin.module = LoadLibraryExA(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
  EndCall();
  if (!plugin.module) {
    DWORD error = GetLastError();
    // In English where the system has it: the report goes to the plug-in's makers.
    wchar_t message[512] = {};
    for (DWORD language : {DWORD{MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US)}, DWORD{0}})
      if (FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error,
                         language, message, 512, nullptr))
        break;
    std::string text = Utf8(message);
    while (!text.empty() &&
           (text.back() == '\n' || text.back() == '\r' || text.back() == ' ' || text.back() == '.'))
      text.pop_back();
    for (size_t at; (at = text.find("%1")) != std::string::npos;)
      text.replace(at, 2, "the file");
    *reason = Format("error %lu%s%s", error, text.empty() ? "" : ": ", text.c_str());
    return false;
  }
  auto find = [&](const char *name) {
    return reinterpret_cast<const void *>(GetProcAddress(plugin.module, name));
  };
  plugin.dllMain = find("DllMain");
  plugin.getPlgInfo = find("GetPlgInfo");
  plugin.setPlgComment = find("SetPlgComment");
  plugin.setCorpAddList = find("SetCorpAddList");
  plugin.drawSeiriken = find("DrawSeiriken");
  return true;
}

int32_t CallExport(const char *name, const void *function, std::initializer_list<uintptr_t> args,
                   int64_t ticket) {
  uintptr_t a[8] = {};
  uint32_t count = 0;
  for (uintptr_t value : args)
    a[count++] = value;
  BeginCall(name, ticket);
#if defined(__i386__)
  int32_t drift = 0;
  uint32_t result = CallMeasuringStack(function, a, count, &drift);
  if (drift != 0 && !stackFaults.count(name))
    stackFaults[name] = drift;
#else
  // One calling convention on 64-bit Windows: the caller owns the stack, extra arguments are
  // harmless.
  using Any = uintptr_t (*)(uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t,
                            uintptr_t, uintptr_t);
  auto call = reinterpret_cast<Any>(reinterpret_cast<uintptr_t>(function));
  uintptr_t result = call(a[0], a[1], a[2], a[3], a[4], a[5], a[6], a[7]);
#endif
  EndCall();
  return static_cast<int32_t>(result);
}

void UnloadPlugin(LoadedPlugin &plugin) {
  BeginCall("DllMain (process detach, through FreeLibrary)", NoTicket);
  FreeLibrary(plugin.module);
  EndCall();
  plugin.module = nullptr;
}

bool MeasuresStack() {
#if defined(__i386__)
  return true;
#else
  return false;
#endif
}

std::string StackFaults() {
  std::string text;
  for (const auto &fault : stackFaults)
    text += Format("%s%s left the stack pointer %+d bytes off", text.empty() ? "" : "; ",
                   fault.first.c_str(), static_cast<int>(fault.second));
  return text;
}

void ReportStackFaults() {
  if (!stackFaults.empty())
    Fail("calling convention: " + StackFaults() +
         " (each export must remove its own arguments, 4 bytes each)");
}
