// Records what is posted on the message bus under chosen names, in order: the name, the bus
// message's type (-1 for a post without a message) and its data.  Only for test targets that
// link the core services.
#pragma once

#include <initializer_list>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "Foundation/NSObject.h"
#include "Foundation/Value.h"
#include "core/NSMsgSend.h"
#include "core/NSObject+notification.h"

class BusRecorder : public NSObject {
 public:
  struct Post {
    std::string name;
    int type = 0;
    Value data;
  };
  std::vector<Post> posts;

  static std::shared_ptr<BusRecorder> observing(std::initializer_list<std::string_view> names) {
    auto r = std::make_shared<BusRecorder>();
    for (auto name : names) {
      std::string n(name);
      std::weak_ptr<BusRecorder> weak = r;
      addObserverWithSelector(r,
                              freeSelector("record:",
                                           [weak, n](const Value& note) {
                                             if (auto self = weak.lock()) self->record(n, note);
                                           }),
                              name);
    }
    return r;
  }
  ~BusRecorder() override { removeObserver(weak_from_this()); }

  int count(std::string_view name, int type) const {
    int n = 0;
    for (const auto& p : posts) n += p.name == name && p.type == type;
    return n;
  }
  int count(std::string_view name, RequestType type) const { return count(name, toInt(type)); }
  // A message's data items as texts: strings as they are, other values described.
  static std::vector<std::string> texts(const Value& data) {
    std::vector<std::string> out;
    if (data.isArray())
      for (const Value& v : *data.array())
        out.push_back(v.isString() ? std::string(v.string()) : v.description());
    return out;
  }
  int count(std::string_view name) const {
    int n = 0;
    for (const auto& p : posts) n += p.name == name;
    return n;
  }

 private:
  void record(const std::string& name, const Value& note) {
    auto msg = NSMsgSend::fromNotification(note);
    posts.push_back({name, msg ? msg->type : -1, msg ? msg->data : Value()});
  }
};
