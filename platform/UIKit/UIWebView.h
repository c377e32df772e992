// The web view.  The stand-in renders no real page: it fetches the page through a loader that
// the application installs at start-up (setPageLoader; the HTTP engine in the app), keeps the
// page's title, text, links and buttons, and shows them: an inner scroller ("UIScroller")
// holding the document view ("UIWebDocumentView") that draws the page's text, with a plain
// UIButton for each <button> of the page.
//
// The app side sees the platform's sequence: every load, its own or the page's, is first offered
// to the delegate (webViewShouldStartLoadWithRequest) and an accepted one starts at once
// (webViewDidStartLoad); it later finishes (webViewDidFinishLoad) or fails
// (webViewDidFailLoadWithError) from the main run loop when the loader answers.  A load that a
// new one, stopLoading or the view's end interrupts reports nothing.  A page the server answers
// with an error status still finishes (it shows the server's page); only a load that gets no
// answer fails.
//
// The back/forward list holds every finished page; a new page drops the pages ahead of the
// current one.  goBack/goForward offer the page's request again (BackForward) and the list moves
// once that load finishes.
//
// Without a loader, loads stay under way until the page side ends them (finishLoad, failLoad):
// tests script the page that way.  The page side can also follow a link of the page
// (followLink), answer scripts from a table (setScriptAnswer) or a handler, and make an inline
// video enter or leave full screen (the movie player's notifications).  Main thread only.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "Foundation/NSError.h"
#include "Foundation/NSURLRequest.h"
#include "UIKit/UIScrollView.h"
#include "UIKit/UIView.h"

class UIWebView;
class UIButton;

enum class UIWebViewNavigationType {
  LinkClicked = 0,
  FormSubmitted = 1,
  BackForward = 2,
  Reload = 3,
  FormResubmitted = 4,
  Other = 5,
};

// The movie player's notifications of inline web video entering and leaving full screen.
inline constexpr std::string_view UIMoviePlayerControllerDidEnterFullscreenNotification =
    "UIMoviePlayerControllerDidEnterFullscreenNotification";
inline constexpr std::string_view UIMoviePlayerControllerDidExitFullscreenNotification =
    "UIMoviePlayerControllerDidExitFullscreenNotification";

class UIWebViewDelegate {
 public:
  virtual ~UIWebViewDelegate() = default;
  virtual bool webViewShouldStartLoadWithRequest(UIWebView&, const std::shared_ptr<NSURLRequest>&,
                                                 UIWebViewNavigationType) {
    return true;
  }
  virtual void webViewDidStartLoad(UIWebView&) {}
  virtual void webViewDidFinishLoad(UIWebView&) {}
  virtual void webViewDidFailLoadWithError(UIWebView&, const NSErrorPtr&) {}
};

// The web view's inner scroller and the document view inside it (the platform's own classes).
class UIScroller : public UIScrollView {
  NS_CLASS(UIScroller, UIScrollView)
 public:
  using UIScrollView::UIScrollView;
};

class UIWebDocumentView : public UIView {
  NS_CLASS(UIWebDocumentView, UIView)
 public:
  using UIView::UIView;
  static constexpr CGFloat kMargin = 8;
  static constexpr CGFloat kFontSize = 14;
  static constexpr CGFloat kButtonHeight = 30;

  // The page's text, drawn from the top-left margin; the buttons go below it.
  void setText(std::string text);
  const std::string& text() const { return text_; }
  // The height the text and the buttons need at the view's width.
  CGFloat contentHeight() const;
  void drawRect(CGRect rect) override;

 protected:
  void describeAttributes(std::string& line) const override;

 private:
  std::string text_;
};

class UIWebView : public UIView {
 public:
  UIWebView() : UIWebView(CGRectZero) {}
  explicit UIWebView(CGRect frame);
  ~UIWebView() override;

  NS_CLASS(UIWebView, UIView)
 public:
  // ---- the loader (installed by the application at start-up)
  struct Response {
    std::shared_ptr<NSURL> URL;  // the address the page came from (after redirects)
    int statusCode = 0;
    std::string body;  // the page's HTML as UTF-8
    NSErrorPtr error;  // set: the load failed
  };
  using Completion = std::function<void(Response)>;
  // Stops a load under way; its completion is then never called.
  using Cancel = std::function<void()>;
  // Starts fetching the request; calls the completion once, on the main thread, later.
  using PageLoader =
      std::function<Cancel(const std::shared_ptr<NSURLRequest>& request, Completion done)>;
  static void setPageLoader(PageLoader loader);
  static bool hasPageLoader();

  void setDelegate(std::weak_ptr<UIWebViewDelegate> delegate) { delegate_ = std::move(delegate); }
  std::shared_ptr<UIWebViewDelegate> delegate() const { return delegate_.lock(); }

  // Offers the request to the delegate as a load of type Other; an accepted one starts.
  void loadRequest(std::shared_ptr<NSURLRequest> request);
  // The request of the load under way, else of the current page; null before any.
  std::shared_ptr<NSURLRequest> request() const { return request_; }
  bool isLoading() const { return loading_; }
  // Ends the load under way without a delegate call.
  void stopLoading();
  // Loads the current page's request again (Reload).
  void reload();
  bool canGoBack() const { return current_ > 0; }
  bool canGoForward() const { return current_ + 1 < history_.size(); }
  void goBack();
  void goForward();

  // Shows the page given as text, relative to the base address (none: null).  The stand-in
  // shows the text, keeps it (htmlString) and offers nothing to the delegate.
  void loadHTMLString(std::string html, std::shared_ptr<NSURL> baseURL);
  // The text of the page last given to loadHTMLString; "" before any.
  const std::string& htmlString() const { return html_; }
  const std::shared_ptr<NSURL>& htmlBaseURL() const { return htmlBaseURL_; }
  // The page's answer to the script: the table's answer when it has one, the page's <title>
  // for "document.title", else the handler's; "" when nothing answers.
  std::string stringByEvaluatingJavaScriptFromString(std::string_view script);

  bool scalesPageToFit() const { return scalesPageToFit_; }
  void setScalesPageToFit(bool fit) { scalesPageToFit_ = fit; }
  bool allowsInlineMediaPlayback() const { return allowsInlineMediaPlayback_; }
  void setAllowsInlineMediaPlayback(bool allow) { allowsInlineMediaPlayback_ = allow; }
  bool mediaPlaybackRequiresUserAction() const { return mediaPlaybackRequiresUserAction_; }
  void setMediaPlaybackRequiresUserAction(bool needed) {
    mediaPlaybackRequiresUserAction_ = needed;
  }

  // ---- what the page shows
  struct Link {
    std::string text;
    std::string href;
  };
  const std::string& pageTitle() const { return title_; }
  const std::string& pageText() const { return document_->text(); }
  const std::vector<Link>& pageLinks() const { return links_; }
  const std::shared_ptr<UIScroller>& scroller() const { return scroller_; }
  const std::shared_ptr<UIWebDocumentView>& documentView() const { return document_; }

  // ---- the page side
  using ScriptHandler = std::function<std::string(std::string_view script)>;
  void setScriptHandler(ScriptHandler handler) { scriptHandler_ = std::move(handler); }
  void setScriptAnswer(std::string script, std::string answer);
  // Every script run in the page, oldest first.
  const std::vector<std::string>& evaluatedScripts() const { return scripts_; }
  // The load under way ends with the page (the current request's empty page by default):
  // webViewDidFinishLoad.  Nothing when none is under way.
  void finishLoad(std::string html = {});
  // The load under way fails with the error: webViewDidFailLoadWithError.
  void failLoad(NSErrorPtr error);
  // The page goes to another address; true when the delegate let the load start.
  bool navigate(std::shared_ptr<NSURLRequest> request,
                UIWebViewNavigationType type = UIWebViewNavigationType::LinkClicked);
  // A tap on the page's first link whose text (or address) is the given one, resolved against
  // the page's address; false when the page has no such link or the delegate refused it.
  bool followLink(std::string_view textOrHref);
  // The inline video enters (true) or leaves full screen: the movie player's notification.
  static void postMovieFullscreen(bool enter);

  void layoutSubviews() override;

 protected:
  void describeAttributes(std::string& line) const override;

 private:
  struct Page {
    std::shared_ptr<NSURLRequest> request;
    std::string html;
  };
  bool offer(std::shared_ptr<NSURLRequest> request, UIWebViewNavigationType type,
             long historyTarget = -1);
  void startFetch();
  void cancelFetch();
  void loaded(uint64_t generation, Response response);
  void commit(std::string html);
  void show(const std::string& html);

  std::weak_ptr<UIWebViewDelegate> delegate_;
  std::shared_ptr<NSURLRequest> request_;
  bool loading_ = false;
  uint64_t generation_ = 0;
  Cancel cancel_;
  long historyTarget_ = -1;  // the list entry a back/forward load goes to
  std::vector<Page> history_;
  size_t current_ = 0;  // meaningful while history_ is not empty
  ScriptHandler scriptHandler_;
  std::map<std::string, std::string, std::less<>> scriptAnswers_;
  std::vector<std::string> scripts_;
  std::string html_;
  std::shared_ptr<NSURL> htmlBaseURL_;
  std::string shown_;  // the HTML on show
  std::string title_;
  std::vector<Link> links_;
  std::shared_ptr<UIScroller> scroller_;
  std::shared_ptr<UIWebDocumentView> document_;
  bool scalesPageToFit_ = false;
  bool allowsInlineMediaPlayback_ = false;
  bool mediaPlaybackRequiresUserAction_ = true;
};
