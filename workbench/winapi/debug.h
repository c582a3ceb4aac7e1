// Debug output: what the host reads of the lines the guest writes (debug.cpp).
#pragma once

#include <string>
#include <vector>

struct Machine;

// Each line the guest has written, as bytes (code page 932).
std::vector<std::string> &DebugOutput(Machine &m);
