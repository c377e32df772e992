// Helpers shared by the JSON module's tests.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "Common/JXKit/JXKit.h"
#include "Common/JXKit/NSString+JXKitDeserializing.h"
#include "Foundation/NSError.h"
#include "Foundation/NSException.h"
#include "Foundation/Value.h"

// One parse through the category the app uses, keeping the error.
struct JXParsed {
  Value value;
  NSErrorPtr error;

  std::string message() const { return error ? error->localizedDescription() : std::string(); }
  unsigned long long index() const {
    return error ? error->userInfo()[JXAtIndexKey].unsignedLongLongValue() : 0;
  }
  unsigned long long line() const {
    return error ? error->userInfo()[JXLineNumberKey].unsignedLongLongValue() : 0;
  }
};

inline JXParsed jxParse(std::string_view json, JXParseOptionFlags options = JXReadStrict) {
  JXParsed r;
  r.value = objectFromJSONStringWithParseOptions(json, options, &r.error);
  return r;
}

inline JXParsed jxParseMutable(std::string_view json, JXParseOptionFlags options = JXReadStrict) {
  JXParsed r;
  r.value = mutableObjectFromJSONStringWithParseOptions(json, options, &r.error);
  return r;
}

// Runs `f` and gives the NSException it raised; fails the test when it raises nothing.
template <class F>
NSException jxRaised(F&& f) {
  try {
    f();
  } catch (const NSException& e) {
    return e;
  }
  ADD_FAILURE() << "no exception was raised";
  return NSException("", "");
}
