// A topic of the content server.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "Foundation/NSObject.h"

struct NSTopic : NSObject {
  std::string name;
  std::string query;  // the topic's note
  int64_t amount = 0;
  int64_t readAmount = 0;
  int32_t delta = 0;
  int64_t topicId = 0;
  std::string img;
  std::string c_intro;

  // A new record with every field taken over.
  std::shared_ptr<NSTopic> copy() const { return std::make_shared<NSTopic>(*this); }
};
