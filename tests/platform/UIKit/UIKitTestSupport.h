// Shared pieces of the UIKit tests: a fresh application on a virtual clock, and controllers and
// delegates that write what happens to them into one log.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "UIKit/UIApplication.h"
#include "UIKit/UIApplicationDriver.h"
#include "UIKit/UIViewController.h"
#include "support/MainLoop.h"

using Log = std::vector<std::string>;

class UIKitTest : public ::testing::Test {
 protected:
  void SetUp() override {
    MainLoop::install();
    UIApplicationDriver::reset();
  }
  void TearDown() override { UIApplicationDriver::reset(); }
};

// Logs "<name>.<callback>" and, for appearance callbacks, "(animated)" when animated.
class LoggingController : public UIViewController {
 public:
  LoggingController(std::string name, std::shared_ptr<Log> log)
      : name_(std::move(name)), log_(std::move(log)) {}
  std::string className() const override { return "LoggingController"; }
  void viewDidLoad() override { add("viewDidLoad", false); }
  void viewWillAppear(bool animated) override { add("viewWillAppear", animated); }
  void viewDidAppear(bool animated) override { add("viewDidAppear", animated); }
  void viewWillDisappear(bool animated) override { add("viewWillDisappear", animated); }
  void viewDidDisappear(bool animated) override { add("viewDidDisappear", animated); }
  void didReceiveMemoryWarning() override { add("didReceiveMemoryWarning", false); }
  const std::string& name() const { return name_; }

 private:
  void add(const char* what, bool animated) {
    log_->push_back(name_ + "." + what + (animated ? "(animated)" : ""));
  }
  std::string name_;
  std::shared_ptr<Log> log_;
};
