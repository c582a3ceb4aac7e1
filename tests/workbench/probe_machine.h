// A machine with the probe DLL loaded and attached, for the loader and stand-in tests.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "workbench/emulator/loader.h"
#include "workbench/emulator/machine.h"
#include "workbench/winapi/debug.h"
#include "workbench/winapi/gdi.h"
#include "workbench/winapi/heap.h"
#include "workbench/winapi/standin.h"
#include "workbench/winapi/sync.h"
#include "workbench/winapi/windows.h"

inline std::string ModulePath(const char *name) {
  return std::string(WB_MODULES_DIR "/") + name;
}

class ProbeMachine : public ::testing::Test {
protected:
  Machine m;
  int probe = -1;

  void SetUp() override {
    std::string error;
    ASSERT_TRUE(StartMachineWithStandIns(m, &error)) << error;
    probe = LoadModule(m, ModulePath("wb_probe.dll"), &error);
    ASSERT_GE(probe, 0) << error << " (build the win32 preset first)";
    uint32_t attached = 0;
    ASSERT_TRUE(Call("DllMain", {m.modules[0].base, 1, 0}, &attached));
    ASSERT_EQ(attached, 1u);
  }

  // Calls an export of the probe; false (with the message in lastError) on a fault.
  bool Call(const char *name, const std::vector<uint32_t> &arguments, uint32_t *result = nullptr,
            int module = 0) {
    uint32_t ignored;
    uint32_t address = ExportAddress(m, module, name);
    EXPECT_NE(address, 0u) << name;
    lastError.clear();
    return CallGuest(m, address, arguments, result ? result : &ignored, &lastError);
  }

  uint32_t Text(const std::string &text) { return ScratchString(m, text); }

  std::string lastError;
};
