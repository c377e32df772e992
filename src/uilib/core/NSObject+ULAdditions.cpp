#include "uilib/core/NSObject+ULAdditions.h"

Value performSelector(NSObject& receiver, std::string_view selector, const Value& first,
                      const Value& second, const Value& third) {
  return receiver.performSelector(selector, {first, second, third});
}

Value performSelector(NSObject& receiver, std::string_view selector, const Value& first,
                      const Value& second, const Value& third, const Value& fourth) {
  return receiver.performSelector(selector, {first, second, third, fourth});
}

Value performSelector(NSObject& receiver, std::string_view selector, const Value& first,
                      const Value& second, const Value& third, const Value& fourth,
                      const Value& fifth) {
  return receiver.performSelector(selector, {first, second, third, fourth, fifth});
}

Value performSelector(NSObject& receiver, std::string_view selector, const Value& first,
                      const Value& second, const Value& third, const Value& fourth,
                      const Value& fifth, const Value& sixth) {
  return receiver.performSelector(selector, {first, second, third, fourth, fifth, sixth});
}

Value performSelector(NSObject& receiver, std::string_view selector, const Value& first,
                      const Value& second, const Value& third, const Value& fourth,
                      const Value& fifth, const Value& sixth, const Value& seventh) {
  return receiver.performSelector(selector, {first, second, third, fourth, fifth, sixth, seventh});
}
