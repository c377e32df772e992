// The JSON reader: a single-pass scanner over UTF-8 bytes that builds JXArray and JXDictionary
// containers directly and reports the first error with its byte index and line number.
//
// A decoder serves one parse at a time and keeps its key cache and working memory between
// parses; the category functions (NSString+JXKitDeserializing.h, NSData+JXKitDeserializing.h)
// use a decoder of their own thread and may run on any thread.  A parse places the containers
// of its tree in one arena (JXArena.h), freed with the last of them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "Common/JXKit/JXKit.h"
#include "Foundation/NSError.h"
#include "Foundation/Value.h"

struct JXParseState;

class JXDecoder {
 public:
  static std::shared_ptr<JXDecoder> decoder();
  // Raises NSInvalidArgumentException "Invalid parse options." above JXReadValidFlags.
  static std::shared_ptr<JXDecoder> decoderWithParseOptions(JXParseOptionFlags options);

  JXDecoder();
  explicit JXDecoder(JXParseOptionFlags options);
  ~JXDecoder();
  JXDecoder(const JXDecoder&) = delete;
  JXDecoder& operator=(const JXDecoder&) = delete;

  JXParseOptionFlags parseOptions() const;
  // Forgets every cached key.
  void clearCache();

  // The parsed tree with immutable containers, or nil with the first error in `error` (when
  // given).  A null `string` raises NSInvalidArgumentException "The string argument is NULL.";
  // data that is not a data value raises "The jsonData argument is NULL.".
  Value objectWithUTF8String(const char* string, size_t length, NSErrorPtr* error = nullptr);
  Value objectWithData(const Value& jsonData, NSErrorPtr* error = nullptr);
  // The same with mutable containers at every depth.
  Value mutableObjectWithUTF8String(const char* string, size_t length, NSErrorPtr* error = nullptr);
  Value mutableObjectWithData(const Value& jsonData, NSErrorPtr* error = nullptr);
  // Older names of objectWithUTF8String and objectWithData.
  Value parseUTF8String(const char* string, size_t length, NSErrorPtr* error = nullptr);
  Value parseJSONData(const Value& jsonData, NSErrorPtr* error = nullptr);

  // The cache entry (0 to 1023) that the k-th probe (0 to 3) for a string of this value hash
  // and byte length looks at.
  static unsigned cacheProbeIndex(uint32_t hash, size_t length, unsigned k);

 private:
  Value parse(const char* string, size_t length, bool mutableCollections, NSErrorPtr* error);
  const char* dataBytes(const Value& jsonData, size_t* length) const;

  std::unique_ptr<JXParseState> parseState_;
};
