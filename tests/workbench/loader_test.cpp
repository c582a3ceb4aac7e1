// Loading 32-bit DLLs and the faults the workbench stops on, each named with its place.
#include <fstream>

#include "probe_machine.h"
#include "workbench/emulator/unicorn_store_fix.h"
#include "workbench/winapi/standin.h"

namespace {

TEST_F(ProbeMachine, CallsAStdcallExportAndReturnsItsResult) {
  uint32_t sum = 0;
  ASSERT_TRUE(Call("Add", {40, 2}, &sum)) << lastError;
  EXPECT_EQ(sum, 42u);
  ASSERT_TRUE(Call("Add", {0xFFFFFFFF, 1}, &sum)) << lastError;
  EXPECT_EQ(sum, 0u);
}

TEST_F(ProbeMachine, LoadsAtThePreferredBaseAndRelocatesASecondCopy) {
  EXPECT_EQ(m.modules[0].base, m.modules[0].pe.imageBase);
  std::string error;
  int second = LoadModule(m, ModulePath("wb_probe.dll"), &error);
  ASSERT_EQ(second, 1) << error;
  EXPECT_NE(m.modules[1].base, m.modules[1].pe.imageBase);
  uint32_t first = 0, moved = 0, value = 0;
  ASSERT_TRUE(Call("GlobalAddress", {}, &first, 0));
  ASSERT_TRUE(Call("GlobalAddress", {}, &moved, 1));
  EXPECT_EQ(moved - m.modules[1].base, first - m.modules[0].base);
  ASSERT_TRUE(Call("ReadGlobal", {}, &value, 1)) << lastError;
  EXPECT_EQ(value, 1234u);
}

// The emulated x87 unit rounds at the precision its control word sets, as the processor does:
// 1 + (2^-53 + 2^-70) is 1 at 24 bits, one unit above 1 at 53, and at 64 bits it rounds to the
// halfway point and then, stored, to even. So the 32-bit conversions run here are the product's
// own arithmetic.
TEST_F(ProbeMachine, X87UnitRoundsAtThePrecisionItsControlWordSets) {
  const struct {
    uint32_t controlWord;
    uint64_t sumBits;
  } rows[] = {
      {0x007F, 0x3FF0000000000000}, {0x027F, 0x3FF0000000000001}, {0x037F, 0x3FF0000000000000}};
  const double addend = 0x1.00008p-53;
  for (const auto &row : rows) {
    uint32_t in = ScratchAlloc(m, 8), out = ScratchAlloc(m, 8);
    WriteGuest(m, in, &addend, 8);
    ASSERT_TRUE(Call("SumAtPrecision", {row.controlWord, in, out})) << lastError;
    uint64_t bits = 0;
    ReadGuest(m, out, &bits, 8);
    EXPECT_EQ(bits, row.sumBits) << std::hex << "control word " << row.controlWord;
  }
}

// Code the guest writes runs as written, each time: its stores into a writable, executable section
// still discard the translated code they overwrite, through the workbench's page_collection_lock
// (fix 1 of unicorn_store_fix.cpp). Stores to the heap and the stack, which hold no code, skip
// that path altogether (fix 2). When a count stays at zero, the library no longer calls the
// workbench's function, and that fix can go.
TEST_F(ProbeMachine, GuestStoresDiscardCodeTheyOverwriteAndSkipThatWorkWhereNoCodeCanBe) {
  for (uint32_t value : {1u, 2u, 0x89ABCDEFu}) {
    uint64_t locks = UnicornPageCollectionLocks();
    uint32_t result = 0;
    ASSERT_TRUE(Call("RunWrittenCode", {value}, &result)) << lastError;
    EXPECT_EQ(result, value);
    EXPECT_GE(UnicornPageCollectionLocks(), locks + 6) << "one for each byte written";
  }
  EXPECT_GT(UnicornTlbEntriesMadeDirty(), 0u);
  uint64_t locks = UnicornPageCollectionLocks();
  uint32_t sum = 0;
  ASSERT_TRUE(Call("HeapRoundTrip", {1000}, &sum)) << lastError;
  EXPECT_LT(UnicornPageCollectionLocks() - locks, 10u) << "of 1,000 heap stores and many pushes";
}

// The host's own writes into an executable section discard the translated code they overwrite
// too: they go through the emulator, where writes to a module's data pages are copied in place.
TEST_F(ProbeMachine, HostWritesDiscardCodeTheyOverwrite) {
  uint32_t result = 0;
  ASSERT_TRUE(Call("RunWrittenCode", {1}, &result)) << lastError;
  uint32_t code = 0;
  for (const PeSection &section : m.modules[0].pe.sections)
    if (section.name == ".wxcode")
      code = m.modules[0].base + section.virtualAddress;
  ASSERT_NE(code, 0u);
  const uint8_t returnSeven[] = {0xB8, 7, 0, 0, 0, 0xC3}; // mov eax, 7; ret
  uint32_t source = ScratchAlloc(m, sizeof returnSeven);
  ASSERT_TRUE(WriteGuest(m, source, returnSeven, sizeof returnSeven));
  ASSERT_TRUE(Call("Move", {code, source, sizeof returnSeven})) << lastError;
  ASSERT_TRUE(Call("RunCodeAt", {code}, &result)) << lastError;
  EXPECT_EQ(result, 7u);
}

struct FaultCase {
  const char *exportName;
  std::vector<uint32_t> arguments;
  std::vector<std::string> messageParts;
};

TEST_F(ProbeMachine, StopsOnFaultsAndNamesThePlace) {
  const FaultCase cases[] = {
      {"ReadNull", {}, {"read of unmapped memory at 0x00000010", "null page", "ReadNull+0x"}},
      {"WriteConstant", {}, {"write to read-only memory", ".rdata", "WriteConstant+0x"}},
      {"Spin", {}, {"budget of 100000 basic blocks exceeded", ".text", "Spin+0x"}},
      {"Unbalanced", {5}, {"stack imbalance", "removed 0 bytes of arguments, expected 4"}},
      // The heap and the host's buffers hold data, never code.
      {"RunCodeAt",
       {kHeapBase},
       {"execution of non-executable memory at 0x30000000 (process heap)"}},
      {"RunCodeAt", {kScratchBase}, {"execution of non-executable memory", "(host buffer)"}},
  };
  m.blockBudget = 100000;
  for (const FaultCase &c : cases) {
    EXPECT_FALSE(Call(c.exportName, c.arguments)) << c.exportName;
    for (const std::string &part : c.messageParts)
      EXPECT_NE(lastError.find(part), std::string::npos)
          << c.exportName << ": \"" << part << "\" not in: " << lastError;
  }
  // The machine is usable again after a fault.
  uint32_t sum = 0;
  ASSERT_TRUE(Call("Add", {1, 2}, &sum)) << lastError;
  EXPECT_EQ(sum, 3u);
}

TEST(Loader, RefusesWhatIsNoLoadable32BitDll) {
  std::string scratch = WB_SCRATCH_DIR;
  std::ofstream(scratch + "/not_a_dll.txt") << "hello";
  std::vector<char> probe;
  {
    std::ifstream in(ModulePath("wb_probe.dll"), std::ios::binary);
    probe.assign(std::istreambuf_iterator<char>(in), {});
  }
  ASSERT_GT(probe.size(), 0x200u);
  std::ofstream(scratch + "/truncated.dll", std::ios::binary).write(probe.data(), 0x100);
  struct Case {
    std::string path;
    const char *messagePart;
    bool standIns = true; // false: a bare machine, which provides no imported function at all
  } cases[] = {
      {scratch + "/no_such_file.dll", "No such file or directory"},
      {scratch + "/not_a_dll.txt", "not a 32-bit PE DLL: not a Windows executable"},
      {scratch + "/truncated.dll", "not a 32-bit PE DLL"},
      {ModulePath("wb_missing.dll"),
       "imports functions the workbench does not provide: KERNEL32.dll!GetTickCount"},
      {ModulePath("wb_probe.dll"), "imports functions the workbench does not provide", false},
  };
  for (const Case &c : cases) {
    Machine m;
    std::string error;
    ASSERT_TRUE(c.standIns ? StartMachineWithStandIns(m, &error) : StartMachine(m, &error))
        << error;
    EXPECT_EQ(LoadModule(m, c.path, &error), -1) << c.path;
    EXPECT_NE(error.find(c.messagePart), std::string::npos) << error;
  }
}

} // namespace
