// Makes a large status-list reply of the content server, as the JSON benchmarks read it: a
// page of statuses with Chinese text, users, reposts, pictures and cursors.  The text depends
// only on the arguments, so runs on different machines read the same bytes.
#pragma once

#include <cstdint>
#include <string>

std::string makeFeedReply(int statuses, uint32_t seed = 20131207);
