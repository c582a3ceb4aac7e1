#include "tools/view/plugin_host.h"

#include "tools/view/ansi_catcher.h"
#include "tools/view/guarded_call.h"
#include "tools/view/ui_text.h"

namespace {

const int LargestTicketSide = 4096;

// The machine a PE file is built for, or 0 when the file is no PE file.
WORD FileMachine(const std::wstring &path) {
  HANDLE file =
      CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE)
    return 0;
  IMAGE_DOS_HEADER dos = {};
  DWORD read = 0, signature = 0;
  IMAGE_FILE_HEADER header = {};
  bool ok = ReadFile(file, &dos, sizeof dos, &read, nullptr) && read == sizeof dos &&
            dos.e_magic == IMAGE_DOS_SIGNATURE &&
            SetFilePointer(file, dos.e_lfanew, nullptr, FILE_BEGIN) != INVALID_SET_FILE_POINTER &&
            ReadFile(file, &signature, 4, &read, nullptr) && signature == IMAGE_NT_SIGNATURE &&
            ReadFile(file, &header, sizeof header, &read, nullptr) && read == sizeof header;
  CloseHandle(file);
  return ok ? header.Machine : 0;
}

WORD OwnMachine() {
  return sizeof(void *) == 8 ? IMAGE_FILE_MACHINE_AMD64 : IMAGE_FILE_MACHINE_I386;
}

std::wstring SystemMessage(DWORD error) {
  wchar_t text[512] = {};
  FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, 0,
                 text, 512, nullptr);
  std::wstring message = text;
  while (!message.empty() && (message.back() == L'\n' || message.back() == L'\r'))
    message.pop_back();
  return message;
}

struct LoadJob {
  std::wstring path;
  HMODULE module;
  DWORD error;
};

void Load(void *context) {
  auto *job = static_cast<LoadJob *>(context);
  // DllMain runs inside LoadLibrary: named so, should it fault or hang.
  EnterPluginCall("DllMain (LoadLibrary)", NoTicket);
  job->module = LoadLibraryExW(job->path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
  job->error = GetLastError();
}

struct SetUpJob {
  ViewedPlugin *plugin;
};

void AskSetUp(void *context) {
  ViewedPlugin &p = *static_cast<SetUpJob *>(context)->plugin;
  // Room beyond the record's 56 bytes, for a plug-in that writes more than it should.
  int32_t record[32] = {};
  p.infoResult = static_cast<int32_t>(
      CallPlugin("GetPlgInfo", p.getPlgInfo, {reinterpret_cast<uintptr_t>(record)}));
  for (int i = 0; i < 14; ++i)
    p.record[i] = record[i];
  CaughtTexts description, list;
  HWND edit = MakeCatcher(&description), combo = MakeCatcher(&list);
  p.commentResult = static_cast<int32_t>(
      CallPlugin("SetPlgComment", p.setPlgComment, {reinterpret_cast<uintptr_t>(edit)}));
  p.listResult = static_cast<int32_t>(
      CallPlugin("SetCorpAddList", p.setCorpAddList, {reinterpret_cast<uintptr_t>(combo)}));
  DestroyWindow(edit);
  DestroyWindow(combo);
  p.description = description.text;
  p.entries = list.entries;
}

struct DrawJob {
  const void *drawSeiriken;
  int width, height;
  std::vector<int32_t> numbers;
  bool oneBit;
  std::vector<Picture> pictures;
  int32_t lastResult;
  Canvas canvas; // the one being drawn into, freed by the caller if the plug-in faults in it
  bool drawing;
};

void Draw(void *context) {
  auto *job = static_cast<DrawJob *>(context);
  for (int32_t number : job->numbers) {
    Canvas &canvas = job->canvas;
    DibFormat format = job->oneBit ? BlackAndWhiteFormat(job->width, job->height)
                                   : TopDownFormat(job->width, job->height, 32);
    job->drawing = MakeDibCanvas(canvas, format);
    if (!job->drawing)
      return;
    FillMemory(canvas.bits, RowBytes(format) * job->height, 0xFF);
    job->lastResult = static_cast<int32_t>(CallPlugin(
        "DrawSeiriken", job->drawSeiriken,
        {reinterpret_cast<uintptr_t>(canvas.dc), 0, 0, 0, 0, static_cast<uint32_t>(number), 0, 0},
        number));
    job->pictures.push_back(PictureOf(canvas));
    FreeCanvas(canvas);
    job->drawing = false;
  }
}

} // namespace

std::wstring OpenPlugin(const std::wstring &path, ViewedPlugin &plugin) {
  plugin = ViewedPlugin();
  plugin.path = path;
  auto *load = new LoadJob{path, nullptr, 0};
  CallOutcome loaded = RunGuarded(Load, load);
  if (loaded.kind != CallOutcome::Returned)
    return DescribeOutcome(loaded); // the job stays with a thread that may yet return
  plugin.module = load->module;
  DWORD error = load->error;
  delete load;
  if (!plugin.module) {
    WORD machine = FileMachine(path);
    if (machine && machine != OwnMachine())
      return Format(Say(Text::OtherWidth), path.c_str(), static_cast<int>(sizeof(void *) * 8));
    return Format(Say(Text::CannotLoad), path.c_str(), error, SystemMessage(error).c_str());
  }
  const char *names[] = {"GetPlgInfo", "SetPlgComment", "SetCorpAddList", "DrawSeiriken"};
  const void **slots[] = {&plugin.getPlgInfo, &plugin.setPlgComment, &plugin.setCorpAddList,
                          &plugin.drawSeiriken};
  std::wstring missing;
  for (int i = 0; i < 4; ++i) {
    *slots[i] = reinterpret_cast<const void *>(GetProcAddress(plugin.module, names[i]));
    if (!*slots[i])
      missing += (missing.empty() ? L"" : L", ") + FromCodePage932(names[i]);
  }
  if (!missing.empty())
    return Format(Say(Text::MissingExports), path.c_str(), missing.c_str());
  auto *setUp = new SetUpJob{&plugin};
  CallOutcome asked = RunGuarded(AskSetUp, setUp);
  if (asked.kind == CallOutcome::Hung) {
    plugin.hung = true;
    return DescribeOutcome(asked);
  }
  delete setUp;
  if (asked.kind != CallOutcome::Returned)
    return DescribeOutcome(asked);
  if (!CanDraw(plugin))
    return Format(Say(Text::BadRecord), plugin.record[1], plugin.record[2]);
  return L"";
}

void ClosePlugin(ViewedPlugin &plugin) {
  // A module with a thread still inside it stays loaded.
  if (plugin.module && !plugin.hung)
    FreeLibrary(plugin.module);
  plugin = ViewedPlugin();
}

bool CanDraw(const ViewedPlugin &plugin) {
  return plugin.module && plugin.drawSeiriken && !plugin.hung && plugin.record[1] > 0 &&
         plugin.record[2] > 0 && plugin.record[1] <= LargestTicketSide &&
         plugin.record[2] <= LargestTicketSide;
}

int TicketWidth(const ViewedPlugin &plugin) {
  return plugin.record[1];
}
int TicketHeight(const ViewedPlugin &plugin) {
  return plugin.record[2];
}

std::wstring DrawTickets(ViewedPlugin &plugin, const std::vector<int32_t> &numbers, bool oneBit,
                         std::vector<Picture> &pictures, int32_t *lastResult) {
  pictures.clear();
  if (plugin.hung)
    return Say(Text::HungBefore);
  if (!CanDraw(plugin))
    return L"";
  auto *job = new DrawJob{plugin.drawSeiriken,
                          TicketWidth(plugin),
                          TicketHeight(plugin),
                          numbers,
                          oneBit,
                          {},
                          0,
                          {},
                          false};
  CallOutcome outcome = RunGuarded(Draw, job);
  if (outcome.kind == CallOutcome::Hung) {
    plugin.hung = true;
    return DescribeOutcome(outcome);
  }
  if (job->drawing)
    FreeCanvas(job->canvas);
  pictures = job->pictures;
  *lastResult = job->lastResult;
  delete job;
  return DescribeOutcome(outcome);
}

std::wstring FromCodePage932(const std::string &bytes) {
  if (bytes.empty())
    return L"";
  std::wstring wide(bytes.size(), L'\0');
  int n = MultiByteToWideChar(932, 0, bytes.data(), static_cast<int>(bytes.size()), &wide[0],
                              static_cast<int>(wide.size()));
  if (n <= 0) // a Windows without the Japanese code page: the system's own is all there is
    n = MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), &wide[0],
                            static_cast<int>(wide.size()));
  wide.resize(n > 0 ? n : 0);
  return wide;
}
