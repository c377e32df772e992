#include "net/api/ApplicationHelper.h"

#include <atomic>

#include "UIKit/UIApplication.h"

namespace {

std::atomic<int> gCount{0};

}  // namespace

void ApplicationHelper::increaseNetworkActivityIndicator() {
  if (gCount < 0) gCount = 0;
  ++gCount;
  auto app = UIApplication::sharedApplication();
  if (!app->isNetworkActivityIndicatorVisible()) app->setNetworkActivityIndicatorVisible(true);
}

void ApplicationHelper::decreaseNetworkActivityIndicator() {
  if (gCount > 0) --gCount;
  auto app = UIApplication::sharedApplication();
  if (app->isNetworkActivityIndicatorVisible() && gCount < 1)
    app->setNetworkActivityIndicatorVisible(false);
}

int ApplicationHelper::networkActivityCount() {
  return gCount;
}
