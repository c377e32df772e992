// The libFuzzer entry point of a target: runs the target's check (shared with the test that
// replays its saved corpus) and aborts with the check's description of the fault, so that
// libFuzzer keeps the input.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#define ZEPT_FUZZ_TARGET(name, check)                                       \
  extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) { \
    std::string fault = check(data, size);                                  \
    if (!fault.empty()) {                                                   \
      std::fprintf(stderr, "%s: %s\n", name, fault.c_str());                \
      std::abort();                                                         \
    }                                                                       \
    return 0;                                                               \
  }
