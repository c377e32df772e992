#include "net/http/HXWebPageLoader.h"

#include <memory>

#include "Foundation/NSRunLoop.h"
#include "Foundation/NSURL.h"
#include "UIKit/UIWebView.h"
#include "net/http/HXHTTPRequest.h"

namespace HXWebPageLoader {

void install() {
  UIWebView::setPageLoader([](const std::shared_ptr<NSURLRequest>& page,
                              UIWebView::Completion done) -> UIWebView::Cancel {
    auto request = HXHTTPRequest::requestWithURL(page->URL());
    request->setRequestMethod(page->HTTPMethod());
    for (auto& [field, value] : page->allHTTPHeaderFields())
      request->addRequestHeader(field, value);
    if (page->HTTPBody()) request->appendPostData(*page->HTTPBody());
    request->setShouldRedirect(true);
    auto live = std::make_shared<bool>(true);
    std::weak_ptr<HXHTTPRequest> weak = request;
    auto answer = [weak, live, done] {
      auto r = weak.lock();
      if (!*live || !r) return;
      *live = false;
      UIWebView::Response response;
      response.URL = r->url();
      response.statusCode = r->responseStatusCode();
      response.error = r->error();
      if (!response.error) {
        auto body = r->responseString();
        if (!body) body = r->responseData();
        if (body) response.body = *body;
      }
      done(std::move(response));
      // The engine is still inside this request's callback: let it go on the next pass.
      NSRunLoop::mainRunLoop()->performBlock([r] {});
    };
    request->setCompletionBlock(answer);
    request->setFailedBlock(answer);
    request->startAsynchronous();
    return [request, live] {
      if (!*live) return;
      *live = false;
      request->clearDelegatesAndCancel();
    };
  });
}

}  // namespace HXWebPageLoader
