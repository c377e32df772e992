// The URL loading system's connection: one request sent over the HTTP streams, its events told
// to a delegate on the run loop it is scheduled on (the starting thread's, in the default mode,
// unless scheduleInRunLoop says otherwise).  (A Foundation class; it lives beside the HTTP
// streams it is built on.)
//
// What the delegate hears, in this order: upload progress while a body goes out, the response
// once its header has arrived, the body in pieces, then either the end or one failure.  Nothing
// comes after cancel, nor after the end or the failure.  The delegate and the connection are
// kept alive until then.
//
// The connection is a transport with the platform's habits: cookies of the shared storage go
// out and come back when the request handles cookies, connections are kept alive between
// transfers, "Content-Length" is sent with a body, a transfer that hears nothing for the
// request's timeout interval fails.  It keeps no cache, follows no redirect (a 3xx is the
// response), decodes no content encoding and raises no authentication challenge (a 401 is the
// response).  Failures are errors of NSURLErrorDomain: -1000 bad URL, -1001 timed out, -1002
// unsupported URL (a scheme other than http and https), -1003 host not found, -1004 cannot
// connect, -1005 connection lost, -1009 offline (also while the reachability test flags say
// not reachable), -1200 and -1202 TLS, with the transport's error as the underlying error.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "Foundation/NSError.h"
#include "Foundation/NSHTTPURLResponse.h"
#include "Foundation/NSObject.h"
#include "Foundation/NSURLRequest.h"

class NSRunLoop;
class NSURLConnection;

// Every method is optional.
class NSURLConnectionDelegate {
 public:
  virtual ~NSURLConnectionDelegate() = default;

  virtual void connectionDidReceiveResponse(const std::shared_ptr<NSURLConnection>& connection,
                                            const std::shared_ptr<NSURLResponse>& response) {}
  virtual void connectionDidReceiveData(const std::shared_ptr<NSURLConnection>& connection,
                                        const std::string& data) {}
  virtual void connectionDidSendBodyData(const std::shared_ptr<NSURLConnection>& connection,
                                         long long bytesWritten, long long totalBytesWritten,
                                         long long totalBytesExpectedToWrite) {}
  virtual void connectionDidFinishLoading(const std::shared_ptr<NSURLConnection>& connection) {}
  virtual void connectionDidFailWithError(const std::shared_ptr<NSURLConnection>& connection,
                                          const NSErrorPtr& error) {}
};

class NSURLConnection : public NSObject {
 public:
  // connectionWithRequest:delegate: a connection started at once on the calling thread's loop.
  static std::shared_ptr<NSURLConnection> connectionWithRequest(
      const NSURLRequest& request, std::shared_ptr<NSURLConnectionDelegate> delegate);
  // initWithRequest:delegate:startImmediately:.  The request is copied.
  static std::shared_ptr<NSURLConnection> initWithRequest(
      const NSURLRequest& request, std::shared_ptr<NSURLConnectionDelegate> delegate,
      bool startImmediately);
  ~NSURLConnection() override;

  // Before start: the loop and mode the events come in (several pairs may be given).
  void scheduleInRunLoop(const std::shared_ptr<NSRunLoop>& loop, std::string_view mode);
  void start();
  void cancel();

  const NSURLRequest& originalRequest() const { return request_; }

  static bool canHandleRequest(const NSURLRequest& request);
  // Sends the request and waits for its end on the calling thread (running its run loop in a
  // mode of its own), at most the request's timeout interval of real time.  The body, or
  // nullopt with the error; the response whenever one came.
  static std::optional<std::string> sendSynchronousRequest(const NSURLRequest& request,
                                                           std::shared_ptr<NSURLResponse>* response,
                                                           NSErrorPtr* error);

  struct Transfer;
  // Private: use the factories.
  struct Private {};
  NSURLConnection(Private, const NSURLRequest& request,
                  std::shared_ptr<NSURLConnectionDelegate> delegate);

 private:
  NSURLRequest request_;
  std::shared_ptr<NSURLConnectionDelegate> delegate_;  // until the end
  std::vector<std::pair<std::weak_ptr<NSRunLoop>, std::string>> schedules_;
  std::shared_ptr<Transfer> transfer_;
  bool started_ = false;
};
