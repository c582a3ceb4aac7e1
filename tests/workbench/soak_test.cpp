// The soak finds a leak: a copy of the product whose texts are never freed is stopped at the first
// check. The soak of the product itself runs as workbench.soak.
#include <gtest/gtest.h>

#include "tests/workbench/product_fixture.h"
#include "workbench/host/soak.h"
#include "workbench/winapi/standin.h"

namespace {

using Soaking = ProductFixture;

// HeapFree's import slot pointed at the stand-in of HeapAlloc, which takes three arguments too
// and refuses the "size" a block's address makes: no text is ever freed.
TEST_F(Soaking, ALeakingBuildIsCaughtAtTheFirstCheck) {
  const LoadedModule &module = p.m.modules[static_cast<size_t>(p.module)];
  uint32_t thunk = StandInAddress(static_cast<size_t>(FindStandIn("kernel32.dll", "HeapAlloc")));
  bool found = false;
  for (const PeImport &import : module.pe.imports)
    if (import.name == "HeapFree")
      found = WriteGuest(p.m, module.base + import.slotRva, &thunk, 4);
  ASSERT_TRUE(found);
  SoakReport r = Soak(p, 3000);
  EXPECT_EQ(r.tickets, 1000u);
  EXPECT_NE(r.problem.find("ticket 1000 "), std::string::npos) << r.problem;
  EXPECT_NE(r.problem.find(" heap blocks left"), std::string::npos) << r.problem;
  EXPECT_TRUE(p.m.log.enabled) << "the soak turns the call log back on, also when it stops early";
}

} // namespace
