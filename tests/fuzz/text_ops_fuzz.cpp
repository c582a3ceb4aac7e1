// Random sequences of text operations, checked after every step against a model of the store:
// the live texts in order of creation with each one's bytes, the debug lines written and the
// allocations refused. The sequences include double releases, releases of addresses inside a text
// or of no text at all, null, one text handed twice to the same operation, and heap refusals, so
// the model also says where a refused allocation leaves the shared empty text.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <climits>
#include <string>
#include <vector>

#include "tests/fuzz/fuzz_check.h"
#include "tests/text/text_bytes.h"

namespace {

struct LiveText {
  Text Address;
  std::string Bytes;
};

// At most this many live texts, so that one input stays quick to check after every step.
constexpr size_t LiveLimit = 48;
// Joined texts stay at most this long.
constexpr size_t LengthLimit = 1024;
// Released and made-up addresses kept for later releases.
constexpr size_t AddressLimit = 256;

class StoreModel {
public:
  explicit StoreModel(const StoreBaseline &baseline)
      : baseline(baseline), refusalsBefore(TextRefusals()) {}

  bool Full() const { return live.size() >= LiveLimit; }

  // A live text or, once one was made, the shared empty text; null when there is neither.
  const LiveText *Pick(FuzzedDataProvider &input) {
    size_t choices = live.size() + (sharedEmpty.Address ? 1 : 0);
    if (choices == 0)
      return nullptr;
    size_t i = input.ConsumeIntegralInRange<size_t>(0, choices - 1);
    return i < live.size() ? &live[i] : &sharedEmpty;
  }

  // Any address seen so far: live, released, inside a text or made up.
  Text PickAddress(FuzzedDataProvider &input) {
    if (addresses.empty())
      return nullptr;
    return addresses[input.ConsumeIntegralInRange<size_t>(0, addresses.size() - 1)];
  }

  void Remember(Text address) {
    if (addresses.size() == AddressLimit)
      addresses.erase(addresses.begin());
    addresses.push_back(address);
  }

  // The next heap allocation or reallocation that is calls from now is refused.
  void Refuse(int calls) {
    FailHeapCallAfter(calls);
    pendingRefusal = calls;
  }

  // An operation made one text, expected to hold bytes. Making a text takes two heap calls (the
  // block, then the slots); when either is refused the result is the shared empty text.
  void Made(Text got, const std::string &bytes) {
    bool refused = pendingRefusal == 0 || pendingRefusal == 1;
    pendingRefusal = pendingRefusal >= 2 ? pendingRefusal - 2 : -1;
    if (refused) {
      FUZZ_CHECK(TextLength(got) == 0 && got[0] == '\0', "a refused text has length %d",
                 TextLength(got));
      FUZZ_CHECK(!sharedEmpty.Address || sharedEmpty.Address == got, "two shared empty texts");
      sharedEmpty.Address = got;
      ++refusals;
    } else {
      FUZZ_CHECK(Find(got) == live.end(), "a new text at a live address");
      live.push_back({got, bytes});
    }
    Remember(got);
  }

  // What ReleaseText(t) must do: free a live text, ignore null and the shared empty text, and
  // report any other address once.
  void Released(Text t) {
    if (t == sharedEmpty.Address && t)
      return;
    auto found = Find(t);
    if (found != live.end())
      live.erase(found);
    else if (t)
      ++debugLines;
  }

  void Write(LiveText &text, size_t at, char byte) {
    text.Address[at] = byte;
    text.Bytes[at] = byte;
  }

  std::vector<LiveText> &Live() { return live; }

  // The store, the heap and the debug output against the model.
  void Verify() const {
    FUZZ_CHECK(TheTextStore.Count == static_cast<int32_t>(live.size()), "texts: %d, model: %zu",
               TheTextStore.Count, live.size());
    for (size_t i = 0; i < live.size(); ++i) {
      Text t = live[i].Address;
      FUZZ_CHECK(TheTextStore.Slots[i] == t, "slot %zu holds another text", i);
      FUZZ_CHECK(TextLength(t) == static_cast<int32_t>(live[i].Bytes.size()) &&
                     live[i].Bytes.compare(0, std::string::npos, t, live[i].Bytes.size()) == 0 &&
                     t[live[i].Bytes.size()] == '\0',
                 "text %zu does not hold its %zu bytes", i, live[i].Bytes.size());
    }
    FUZZ_CHECK(LiveHeapBlocks() == baseline.HeapBlocks + live.size(), "heap blocks: %zu, texts %zu",
               LiveHeapBlocks(), live.size());
    FUZZ_CHECK(DebugLines().size() == debugLines, "debug lines: %zu, model: %zu",
               DebugLines().size(), debugLines);
    FUZZ_CHECK(TextRefusals() - refusalsBefore == refusals, "refusals: %u, model: %u",
               TextRefusals() - refusalsBefore, refusals);
  }

  // Releases what is still live, ends any pending refusal and leaves the store as it was found.
  void Finish() {
    while (!live.empty()) {
      ReleaseText(live.back().Address);
      live.pop_back();
    }
    ClearHeapEvents();
    pendingRefusal = -1;
    Verify();
    ClearDebugLines();
    EndInput(baseline);
  }

private:
  std::vector<LiveText>::iterator Find(Text t) {
    return std::find_if(live.begin(), live.end(),
                        [t](const LiveText &l) { return l.Address == t; });
  }

  StoreBaseline baseline;
  uint32_t refusalsBefore;
  std::vector<LiveText> live;
  LiveText sharedEmpty{nullptr, ""};
  std::vector<Text> addresses;
  size_t debugLines = 0;
  uint32_t refusals = 0;
  int pendingRefusal = -1;
};

// Byte counts and positions: mostly small, sometimes negative or at the ends of the range.
int32_t Count(FuzzedDataProvider &input) {
  switch (input.ConsumeIntegralInRange(0, 9)) {
  case 0:
    return INT_MIN;
  case 1:
    return INT_MAX;
  default:
    return input.ConsumeIntegralInRange(-3, 40);
  }
}

std::string LeftBytes(const std::string &bytes, int32_t n) {
  return bytes.substr(0, static_cast<size_t>(std::clamp(n, 0, static_cast<int32_t>(bytes.size()))));
}

std::string MidBytes(const std::string &bytes, int32_t start, int32_t count) {
  int32_t length = static_cast<int32_t>(bytes.size());
  if (start < 1 || start > length || count < 0)
    return "";
  int32_t rest = length - (start - 1);
  return bytes.substr(static_cast<size_t>(start - 1),
                      static_cast<size_t>(count == 0 || count > rest ? rest : count));
}

int32_t Order(const std::string &left, const std::string &right) {
  int order = left.compare(right);
  return order < 0 ? 1 : (order == 0 ? 2 : 3);
}

// A block the store never made, to release an address inside it.
char notAText[16];

void Step(FuzzedDataProvider &input, StoreModel &model) {
  enum Operation {
    Alloc,
    Write,
    Copy,
    FromChars,
    Char,
    Code,
    Concat,
    Left,
    Mid,
    Compare,
    Release,
    ReleaseAgain,
    ReleaseInside,
    ReleaseUnknown,
    Refuse,
    OperationCount
  };
  auto operation = static_cast<Operation>(input.ConsumeIntegralInRange(0, OperationCount - 1));
  bool makes = operation <= Char || (operation >= Concat && operation <= Mid);
  if (makes && model.Full())
    operation = Release;

  switch (operation) {
  case Alloc: {
    int32_t n = input.ConsumeIntegralInRange(-3, 40);
    Text t = AllocText(n);
    model.Made(t, std::string(static_cast<size_t>(std::max(n, 0)), '\0'));
    break;
  }
  case Write: {
    std::vector<LiveText> &live = model.Live();
    if (live.empty())
      break;
    LiveText &text = live[input.ConsumeIntegralInRange<size_t>(0, live.size() - 1)];
    if (!text.Bytes.empty())
      model.Write(text, input.ConsumeIntegralInRange<size_t>(0, text.Bytes.size() - 1),
                  input.ConsumeIntegral<char>());
    break;
  }
  case Copy:
    if (const LiveText *t = model.Pick(input)) {
      std::string bytes = t->Bytes;
      model.Made(CopyText(t->Address), bytes);
    }
    break;
  case FromChars:
    if (input.ConsumeBool()) {
      model.Made(TextFromChars(nullptr), "");
    } else {
      std::string chars = input.ConsumeRandomLengthString(40);
      model.Made(TextFromChars(chars.c_str()), chars.c_str());
    }
    break;
  case Char: {
    int32_t code = input.ConsumeIntegral<int32_t>();
    model.Made(CharText(code), std::string(1, static_cast<char>(code & 0xFF)));
    break;
  }
  case Code:
    if (const LiveText *t = model.Pick(input)) {
      Text address = t->Address;
      int32_t expected = t->Bytes.empty() ? 0 : static_cast<unsigned char>(t->Bytes[0]);
      FUZZ_CHECK(TextCode(address) == expected, "TextCode");
      model.Released(address);
    }
    break;
  case Concat:
  case Compare: {
    const LiveText *left = model.Pick(input);
    const LiveText *right = model.Pick(input);
    // Joining a text to itself again and again would double it each time.
    if (!left || !right || left->Bytes.size() + right->Bytes.size() > LengthLimit)
      break;
    Text l = left->Address, r = right->Address;
    std::string leftBytes = left->Bytes, rightBytes = right->Bytes;
    if (operation == Concat)
      model.Made(ConcatText(l, r), leftBytes + rightBytes);
    else
      FUZZ_CHECK(CompareText(l, r) == Order(leftBytes, rightBytes), "CompareText");
    model.Released(l);
    model.Released(r);
    break;
  }
  case Left:
  case Mid:
    if (const LiveText *t = model.Pick(input)) {
      Text address = t->Address;
      std::string bytes = t->Bytes;
      int32_t first = Count(input);
      if (operation == Left) {
        model.Made(LeftText(address, first), LeftBytes(bytes, first));
      } else {
        int32_t count = Count(input);
        model.Made(MidText(address, first, count), MidBytes(bytes, first, count));
      }
      model.Released(address);
    }
    break;
  case Release:
    if (const LiveText *t = model.Pick(input)) {
      Text address = t->Address;
      ReleaseText(address);
      model.Released(address);
    }
    break;
  case ReleaseAgain: {
    Text address = model.PickAddress(input);
    ReleaseText(address);
    model.Released(address);
    break;
  }
  case ReleaseInside:
    if (const LiveText *t = model.Pick(input)) {
      // One past the start up to the terminator, or the block's own start before the length.
      int32_t offset = input.ConsumeIntegralInRange<int32_t>(-4, TextLength(t->Address));
      if (offset == 0)
        offset = 1;
      Text address = t->Address + offset;
      model.Remember(address);
      ReleaseText(address);
      model.Released(address);
    }
    break;
  case ReleaseUnknown: {
    Text address = input.ConsumeBool() ? nullptr : notAText + input.ConsumeIntegralInRange(0, 15);
    model.Remember(address);
    ReleaseText(address);
    model.Released(address);
    break;
  }
  case Refuse:
    model.Refuse(input.ConsumeIntegralInRange(0, 5));
    break;
  case OperationCount:
    break;
  }
  model.Verify();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  StoreModel model(StartInput());
  FuzzedDataProvider input(data, size);
  while (input.remaining_bytes() > 0)
    Step(input, model);
  model.Finish();
  return 0;
}
