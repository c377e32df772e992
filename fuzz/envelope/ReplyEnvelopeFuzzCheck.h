// The reply envelope's fuzz check (success flag, code, message and payload of a server reply,
// in the content server's, the usage-log server's and the platform's dialects), shared by the
// libFuzzer target and the corpus replay test.  Returns a description of the first fault
// found, or the empty string.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

std::string replyEnvelopeFuzzCheck(const uint8_t* data, size_t size);
