#include "ScreenRecorder/ScreenRecorder.h"

#include <cstdio>

#include "Foundation/NSFileManager.h"
#include "Foundation/NSRunLoop.h"
#include "UIKit/UIApplication.h"
#include "UIKit/UIScreenCapture.h"
#include "UIKit/UIViewController.h"
#include "UIKit/UIWindow.h"

namespace {

bool isRecordName(const std::string& file) {
  // NNN-<name>.png or .txt: three digits or more (a long run goes past 999).
  size_t digits = 0;
  while (digits < file.size() && file[digits] >= '0' && file[digits] <= '9') ++digits;
  if (digits < 3 || digits >= file.size() || file[digits] != '-' || file.size() < digits + 5)
    return false;
  std::string_view tail = std::string_view(file).substr(file.size() - 4);
  return tail == ".png" || tail == ".txt";
}

std::string fileName(std::string_view name) {
  std::string out;
  for (char c : name) {
    bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                 c == '-' || c == '_';
    out += plain ? c : '_';
  }
  return out.empty() ? "screen" : out;
}

std::string frontName() {
  auto window = UIApplication::sharedApplication()->keyWindow();
  auto root = window ? window->rootViewController() : nullptr;
  auto front = root ? root->frontViewController() : nullptr;
  return front ? front->className() : "screen";
}

}  // namespace

std::unique_ptr<ScreenRecorder> ScreenRecorder::open(std::string folder, std::string* error) {
  auto& files = NSFileManager::defaultManager();
  NSErrorPtr made;
  if (!files.createDirectoryAtPath(folder, true, &made)) {
    if (error) *error = "cannot make " + folder + (made ? ": " + made->localizedDescription() : "");
    return nullptr;
  }
  if (auto names = files.contentsOfDirectoryAtPath(folder)) {
    for (const auto& name : *names)
      if (isRecordName(name)) files.removeItemAtPath(folder + "/" + name);
  }
  return std::unique_ptr<ScreenRecorder>(new ScreenRecorder(std::move(folder)));
}

ScreenRecorder::~ScreenRecorder() {
  *alive_ = false;
  UIViewController::setScreenShownObserver(nullptr);
}

void ScreenRecorder::watchScreens() {
  UIViewController::setScreenShownObserver([this](const std::shared_ptr<UIViewController>& screen,
                                                  UIScreenChange) { screenShown(screen); });
}

void ScreenRecorder::screenShown(const std::shared_ptr<UIViewController>& screen) {
  pending_ = screen->className();
  if (scheduled_) return;
  scheduled_ = true;
  NSRunLoop::mainRunLoop()->performBlock([this, alive = alive_] {
    if (!*alive) return;
    scheduled_ = false;
    std::string error;
    std::string path = record(pending_, &error);
    if (reporter_) reporter_(path, error);
  });
}

std::string ScreenRecorder::record(std::string_view name, std::string* error) {
  auto fail = [&](std::string why) {
    if (error) *error = std::move(why);
    return std::string();
  };
  CGImageRef frame = UIScreenCaptureFrame();
  if (!frame) return fail("no window is shown");
  char number[16];
  std::snprintf(number, sizeof number, "%03d-", next_);
  std::string base = folder_ + "/" + number + fileName(name.empty() ? frontName() : name);
  std::string why;
  if (!UIScreenCaptureWriteFramePNG(frame, base + ".png", &why)) return fail(base + ".png: " + why);
  if (!writeToFile(base + ".txt", UIScreenCaptureDump(), true))
    return fail(base + ".txt: the file could not be written");
  ++next_;
  return base + ".png";
}
