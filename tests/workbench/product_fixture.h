// The shipped product loaded into the workbench and attached, as a host holds it before its first
// call: the set-up of every suite that runs the product.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "workbench/host/plugin_host.h"

class ProductFixture : public ::testing::Test {
protected:
  Plugin p;
  void SetUp() override {
    std::string error;
    ASSERT_TRUE(OpenPlugin(p, WB_PRODUCT, &error)) << error << " (build the win32 preset first)";
  }
};
