// The application's own count of running server requests, which drives the status bar's
// network-activity indicator independently of the HTTP engine's count.  Main thread.
#pragma once

class ApplicationHelper {
 public:
  // A negative count is first taken as 0; then one more, and the indicator shows.
  static void increaseNetworkActivityIndicator();
  // One less while above 0; the indicator hides when no request is counted.
  static void decreaseNetworkActivityIndicator();
  static int networkActivityCount();
};
