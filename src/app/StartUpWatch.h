// Tells once when start-up is over and whether the home screen shows channel tiles then: for
// the runner's --exit-after-first-page and --screenshot, and for the tests.  Start-up is over
// when both the login reply (or the session re-open) and the end of registration or of the
// splash ("registerClientCallBack") have been announced, in either order, or when a start
// without network went on with a stored client key.  The answer comes on the main loop's next pass,
// after every observer of that notification has run; the tiles count as shown when the home
// screen's launcher holds at least one and has laid out its buttons.  Main thread only.
#pragma once

#include <functional>
#include <memory>

#include "Foundation/NSObject.h"
#include "Foundation/Value.h"

class StartUpWatch : public NSObject {
  NS_CLASS(StartUpWatch, NSObject)

 public:
  using Done = std::function<void(bool tilesShown)>;

  // Watches from now on; keep the watch as long as the answer matters.
  static std::shared_ptr<StartUpWatch> start(Done done);
  ~StartUpWatch() override;

  // Whether the application delegate's home screen shows tiles now (lays it out first).
  static bool homeShowsTiles();

 private:
  void loggedIn(const Value& notification);
  void registered(const Value& notification);
  void finish();

  Done done_;
  bool loggedIn_ = false;
  bool registered_ = false;
  bool finishing_ = false;
};
