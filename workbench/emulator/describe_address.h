// Guest addresses and values in words, for fault messages, traces and reports.
#pragma once

#include <cstdint>
#include <string>

struct Machine;

// Where an address lies: "0x10001234 (TKT_A1.QPL .text, DrawSeiriken+0x34)", or the import slot,
// the stand-in's thunk or the fixed region that holds it.
std::string DescribeAddress(const Machine &m, uint32_t address);

// "0x0000ABCD".
std::string Hex32(uint32_t value);
