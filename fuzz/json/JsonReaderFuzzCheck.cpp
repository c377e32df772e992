#include "json/JsonReaderFuzzCheck.h"

#include "Common/JXKit/JXDecoder.h"
#include "Common/JXKit/JXKit.h"
#include "Common/JXKit/NSArray+JXKitSerializing.h"
#include "Common/JXKit/NSDictionary+JXKitSerializing.h"
#include "Common/JXKit/NSString+JXKitDeserializing.h"

namespace {

Value write(const Value& tree, JXSerializeOptionFlags options, NSErrorPtr* error) {
  if (tree.isArray()) return JSONStringWithOptions(tree.array(), options, error);
  return JSONStringWithOptions(tree.dictionary(), options, error);
}

std::string roundTrip(const Value& tree, JXSerializeOptionFlags options) {
  NSErrorPtr error;
  Value text = write(tree, options, &error);
  if (!text.isString())
    return "writer failed (options " + std::to_string(options) +
           "): " + (error ? error->localizedDescription() : std::string("no error"));
  Value again = objectFromJSONStringWithParseOptions(text.string(), JXReadStrict, &error);
  if (again.isNil())
    return "written text does not read back (options " + std::to_string(options) +
           "): " + (error ? error->localizedDescription() : std::string("no error"));
  if (!again.isEqual(tree))
    return "written text reads back different: " + std::string(text.string());
  return {};
}

}  // namespace

std::string jsonReaderFuzzCheck(const uint8_t* data, size_t size) {
  if (size == 0) return {};
  const JXParseOptionFlags options = data[0] & JXReadValidFlags;
  const char* json = reinterpret_cast<const char*>(data + 1);
  const size_t length = size - 1;

  JXDecoder decoder(options);
  NSErrorPtr error;
  Value tree = decoder.objectWithUTF8String(json, length, &error);
  if (tree.isNil()) {
    if (!error) return "nil result without an error";
    if (error->domain() != JXErrorDomain || error->code() != -1) return "wrong error domain";
    if (error->localizedDescription().empty()) return "empty error message";
    if (error->userInfo()[JXAtIndexKey].unsignedLongLongValue() > length)
      return "error index beyond the input";
    if (error->userInfo()[JXLineNumberKey].unsignedLongLongValue() < 1) return "line number 0";
  } else if (!tree.isArray() && !tree.isDictionary()) {
    return "top-level value is not a container";
  }

  // The same decoder again (its key cache now warm), and a mutable parse, agree.
  NSErrorPtr secondError;
  Value second = decoder.objectWithUTF8String(json, length, &secondError);
  if (second.isNil() != tree.isNil() || (!tree.isNil() && !second.isEqual(tree)))
    return "second parse with the same decoder differs";
  if (tree.isNil() && secondError->localizedDescription() != error->localizedDescription())
    return "second parse reports a different error";
  Value mutableTree = decoder.mutableObjectWithUTF8String(json, length, nullptr);
  if (mutableTree.isNil() != tree.isNil() || (!tree.isNil() && !mutableTree.isEqual(tree)))
    return "mutable parse differs";
  if (tree.isNil()) return {};

  for (JXSerializeOptionFlags o : {JXWriteOptionNone, JXWriteIndented | JXWriteAsciiOnly,
                                   JXWriteSlashEscaped | JXWriteAsciiOnly}) {
    std::string fault = roundTrip(tree, o);
    if (!fault.empty()) return fault;
  }
  return {};
}
