#include "UIKit/UIWebView.h"

#include <algorithm>
#include <cctype>

#include "Foundation/NSClass.h"
#include "Foundation/NSNotificationCenter.h"
#include "Foundation/NSString.h"
#include "Foundation/NSURL.h"
#include "UIKit/NSString+UIKit.h"
#include "UIKit/UIButton.h"
#include "UIKit/UIColor.h"
#include "UIKit/UIFont.h"

namespace {

UIWebView::PageLoader& pageLoader() {
  static UIWebView::PageLoader loader;
  return loader;
}

// ---- what the stand-in reads of a page: its title, text, links and buttons

struct ParsedPage {
  std::string title;
  std::string text;
  std::vector<UIWebView::Link> links;
  std::vector<std::string> buttons;
};

std::string decodeEntities(std::string_view s) {
  static const std::pair<std::string_view, std::string_view> kEntities[] = {
      {"&amp;", "&"}, {"&lt;", "<"},   {"&gt;", ">"},        {"&quot;", "\""},
      {"&#39;", "'"}, {"&apos;", "'"}, {"&nbsp;", "\u00a0"},
  };
  std::string out;
  for (size_t i = 0; i < s.size();) {
    bool replaced = false;
    if (s[i] == '&') {
      for (auto& [name, text] : kEntities) {
        if (s.substr(i, name.size()) == name) {
          out += text;
          i += name.size();
          replaced = true;
          break;
        }
      }
    }
    if (!replaced) out += s[i++];
  }
  return out;
}

// Runs of blanks become one space; lines lose their blanks at both ends.
std::string collapse(std::string_view s) {
  std::string out;
  bool blank = false;
  for (char c : s) {
    if (c == '\n') {
      while (!out.empty() && out.back() == ' ') out.pop_back();
      if (!out.empty() && out.back() != '\n') out += '\n';
      blank = false;
    } else if (std::isspace(static_cast<unsigned char>(c))) {
      blank = true;
    } else {
      if (blank && !out.empty() && out.back() != '\n') out += ' ';
      blank = false;
      out += c;
    }
  }
  while (!out.empty() && (out.back() == ' ' || out.back() == '\n')) out.pop_back();
  return out;
}

std::string attribute(std::string_view tag, std::string_view name) {
  std::string low = lowercaseASCIIString(tag);
  for (size_t at = low.find(name); at != std::string::npos; at = low.find(name, at + 1)) {
    if (at == 0 || !std::isspace(static_cast<unsigned char>(low[at - 1]))) continue;
    size_t i = at + name.size();
    while (i < tag.size() && tag[i] == ' ') ++i;
    if (i >= tag.size() || tag[i] != '=') continue;
    ++i;
    while (i < tag.size() && tag[i] == ' ') ++i;
    if (i < tag.size() && (tag[i] == '"' || tag[i] == '\'')) {
      size_t end = tag.find(tag[i], i + 1);
      return decodeEntities(tag.substr(i + 1, end == std::string::npos ? end : end - i - 1));
    }
    size_t end = i;
    while (end < tag.size() && !std::isspace(static_cast<unsigned char>(tag[end])) &&
           tag[end] != '>')
      ++end;
    return decodeEntities(tag.substr(i, end - i));
  }
  return {};
}

ParsedPage parsePage(std::string_view html) {
  static const std::string_view kBlocks[] = {"br", "p",  "/p", "div", "/div", "li", "tr",
                                             "h1", "h2", "h3", "/h1", "/h2",  "/h3"};
  ParsedPage page;
  std::string raw;  // the body's text, before collapsing
  std::string* into = &raw;
  std::string title, linkText, buttonText, href;
  bool inLink = false, inButton = false, inTitle = false;
  for (size_t i = 0; i < html.size();) {
    if (html[i] != '<') {
      size_t end = html.find('<', i);
      if (end == std::string_view::npos) end = html.size();
      into->append(html.substr(i, end - i));
      i = end;
      continue;
    }
    if (html.substr(i, 4) == "<!--") {
      size_t end = html.find("-->", i);
      i = end == std::string_view::npos ? html.size() : end + 3;
      continue;
    }
    size_t end = html.find('>', i);
    if (end == std::string_view::npos) break;
    std::string_view tag = html.substr(i + 1, end - i - 1);
    i = end + 1;
    std::string name = lowercaseASCIIString(tag.substr(0, tag.find_first_of(" \t\r\n/", 1)));
    if (name == "script" || name == "style") {
      // The closing tag, in any case, found without copying the rest of the page.
      const std::string closing = "</" + name;
      size_t close = html.find("</", i);
      while (close != std::string_view::npos &&
             !equalsIgnoringASCIICase(html.substr(close, closing.size()), closing))
        close = html.find("</", close + 2);
      i = close == std::string_view::npos ? html.size() : close;
      continue;
    }
    if (name == "title") {
      inTitle = true;
      into = &title;
    } else if (name == "/title") {
      inTitle = false;
      into = &raw;
    } else if (name == "a" && !inTitle) {
      inLink = true;
      href = attribute(tag, "href");
      linkText.clear();
      into = &linkText;
    } else if (name == "/a" && inLink) {
      inLink = false;
      std::string text = collapse(decodeEntities(linkText));
      page.links.push_back({text, href});
      raw += linkText;
      into = &raw;
    } else if (name == "button") {
      inButton = true;
      buttonText.clear();
      into = &buttonText;
    } else if (name == "/button" && inButton) {
      inButton = false;
      page.buttons.push_back(collapse(decodeEntities(buttonText)));
      into = &raw;
    } else if (std::find(std::begin(kBlocks), std::end(kBlocks), name) != std::end(kBlocks)) {
      *into += '\n';
    }
  }
  page.title = collapse(decodeEntities(title));
  page.text = collapse(decodeEntities(raw));
  return page;
}

std::shared_ptr<UIFont> documentFont() {
  return UIFont::systemFontOfSize(UIWebDocumentView::kFontSize);
}

}  // namespace

// ---- the document view

void UIWebDocumentView::setText(std::string text) {
  text_ = std::move(text);
  setNeedsDisplay();
}

CGFloat UIWebDocumentView::contentHeight() const {
  CGFloat width = std::max<CGFloat>(0, bounds().size.width - 2 * kMargin);
  CGFloat height = kMargin;
  if (!text_.empty())
    height += sizeWithFont(text_, documentFont(), width, UILineBreakModeWordWrap).height;
  for (auto& view : subviews())
    height = std::max(height, view->frame().origin.y + view->frame().size.height);
  return height + kMargin;
}

void UIWebDocumentView::drawRect(CGRect) {
  if (text_.empty()) return;
  UIColor::blackColor()->setFill();
  CGRect b = bounds();
  drawInRect(text_, CGRectMake(kMargin, kMargin, b.size.width - 2 * kMargin, b.size.height),
             documentFont());
}

void UIWebDocumentView::describeAttributes(std::string& line) const {
  if (!text_.empty()) {
    std::string shown = text_;
    std::replace(shown.begin(), shown.end(), '\n', ' ');
    line += " text=\"" + shown + "\"";
  }
}

// ---- the web view

void UIWebView::setPageLoader(PageLoader loader) {
  pageLoader() = std::move(loader);
}
bool UIWebView::hasPageLoader() {
  return static_cast<bool>(pageLoader());
}

UIWebView::UIWebView(CGRect frame) : UIView(frame) {
  scroller_ = std::make_shared<UIScroller>(bounds());
  document_ = std::make_shared<UIWebDocumentView>(
      CGRectMake(0, 0, bounds().size.width, bounds().size.height));
  document_->setBackgroundColor(UIColor::whiteColor());
  scroller_->addSubview(document_);
  addSubview(scroller_);
}

UIWebView::~UIWebView() {
  cancelFetch();
}

void UIWebView::loadRequest(std::shared_ptr<NSURLRequest> request) {
  offer(std::move(request), UIWebViewNavigationType::Other);
}

void UIWebView::stopLoading() {
  cancelFetch();
  loading_ = false;
  historyTarget_ = -1;
  if (!history_.empty()) request_ = history_[current_].request;
}

void UIWebView::reload() {
  if (!history_.empty())
    offer(history_[current_].request, UIWebViewNavigationType::Reload, long(current_));
  else if (request_)
    offer(request_, UIWebViewNavigationType::Reload);
}

void UIWebView::goBack() {
  if (canGoBack())
    offer(history_[current_ - 1].request, UIWebViewNavigationType::BackForward, long(current_ - 1));
}

void UIWebView::goForward() {
  if (canGoForward())
    offer(history_[current_ + 1].request, UIWebViewNavigationType::BackForward, long(current_ + 1));
}

void UIWebView::loadHTMLString(std::string html, std::shared_ptr<NSURL> baseURL) {
  html_ = std::move(html);
  htmlBaseURL_ = std::move(baseURL);
  show(html_);
}

bool UIWebView::navigate(std::shared_ptr<NSURLRequest> request, UIWebViewNavigationType type) {
  return offer(std::move(request), type);
}

bool UIWebView::followLink(std::string_view textOrHref) {
  auto link = std::find_if(links_.begin(), links_.end(), [&](const Link& l) {
    return l.text == textOrHref || l.href == textOrHref;
  });
  if (link == links_.end()) return false;
  std::shared_ptr<NSURL> base = !history_.empty() && history_[current_].request
                                    ? history_[current_].request->URL()
                                    : htmlBaseURL_;
  auto url = base ? NSURL::URLWithString(link->href, base) : NSURL::URLWithString(link->href);
  if (!url) return false;
  return navigate(std::make_shared<NSURLRequest>(url), UIWebViewNavigationType::LinkClicked);
}

void UIWebView::postMovieFullscreen(bool enter) {
  NSNotificationCenter::defaultCenter()->postNotificationName(
      enter ? UIMoviePlayerControllerDidEnterFullscreenNotification
            : UIMoviePlayerControllerDidExitFullscreenNotification);
}

bool UIWebView::offer(std::shared_ptr<NSURLRequest> request, UIWebViewNavigationType type,
                      long historyTarget) {
  if (!request) return false;
  // Keep this view alive through delegate calls that may take it out of its window.
  auto keep = shared_from_this();
  if (auto d = delegate(); d && !d->webViewShouldStartLoadWithRequest(*this, request, type))
    return false;
  cancelFetch();
  request_ = std::move(request);
  loading_ = true;
  historyTarget_ = historyTarget;
  ++generation_;
  uint64_t generation = generation_;
  if (auto d = delegate()) d->webViewDidStartLoad(*this);
  // The delegate may have started or stopped another load meanwhile.
  if (generation == generation_ && loading_) startFetch();
  return true;
}

void UIWebView::startFetch() {
  auto& loader = pageLoader();
  if (!loader) return;  // the page side ends the load
  std::weak_ptr<UIWebView> self = std::static_pointer_cast<UIWebView>(shared_from_this());
  uint64_t generation = generation_;
  cancel_ = loader(request_, [self, generation](Response response) {
    if (auto view = self.lock()) view->loaded(generation, std::move(response));
  });
}

void UIWebView::cancelFetch() {
  if (auto cancel = std::move(cancel_)) {
    cancel_ = nullptr;
    cancel();
  }
}

void UIWebView::loaded(uint64_t generation, Response response) {
  if (generation != generation_ || !loading_) return;
  cancel_ = nullptr;
  if (response.error) {
    failLoad(response.error);
    return;
  }
  finishLoad(std::move(response.body));
}

void UIWebView::commit(std::string html) {
  if (historyTarget_ >= 0 && size_t(historyTarget_) < history_.size()) {
    current_ = size_t(historyTarget_);
    history_[current_] = {request_, html};
  } else {
    if (!history_.empty()) history_.resize(current_ + 1);
    history_.push_back({request_, html});
    current_ = history_.size() - 1;
  }
  historyTarget_ = -1;
  show(html);
}

void UIWebView::show(const std::string& html) {
  if (&html != &shown_) shown_ = html;
  ParsedPage page = parsePage(shown_);
  title_ = std::move(page.title);
  links_ = std::move(page.links);
  for (auto& view : std::vector(document_->subviews())) view->removeFromSuperview();
  document_->setText(std::move(page.text));
  CGFloat width = bounds().size.width;
  document_->setFrame(
      CGRectMake(0, document_->frame().origin.y, width, document_->frame().size.height));
  // Below the text (the buttons were taken out above), or at the top margin without text.
  CGFloat y = document_->contentHeight() - UIWebDocumentView::kMargin;
  for (auto& title : page.buttons) {
    auto button = UIButton::buttonWithType(UIButtonType::RoundedRect);
    button->setTitle(title, UIControlStateNormal);
    button->setFrame(CGRectMake(UIWebDocumentView::kMargin, y,
                                std::min<CGFloat>(200, width - 2 * UIWebDocumentView::kMargin),
                                UIWebDocumentView::kButtonHeight));
    document_->addSubview(button);
    y += UIWebDocumentView::kButtonHeight + UIWebDocumentView::kMargin;
  }
  CGFloat height = std::max(document_->contentHeight(), scroller_->bounds().size.height);
  CGRect f = document_->frame();
  document_->setFrame(CGRectMake(f.origin.x, f.origin.y, width, height));
  scroller_->setContentSize(CGSizeMake(width, f.origin.y + height));
}

void UIWebView::finishLoad(std::string html) {
  if (!loading_) return;
  auto keep = shared_from_this();
  loading_ = false;
  cancelFetch();
  commit(std::move(html));
  if (auto d = delegate()) d->webViewDidFinishLoad(*this);
}

void UIWebView::failLoad(NSErrorPtr error) {
  if (!loading_) return;
  auto keep = shared_from_this();
  loading_ = false;
  cancelFetch();
  historyTarget_ = -1;
  // The page shown stays; its request is the current one again.
  if (!history_.empty()) request_ = history_[current_].request;
  if (auto d = delegate()) d->webViewDidFailLoadWithError(*this, error);
}

void UIWebView::setScriptAnswer(std::string script, std::string answer) {
  scriptAnswers_[std::move(script)] = std::move(answer);
}

std::string UIWebView::stringByEvaluatingJavaScriptFromString(std::string_view script) {
  scripts_.emplace_back(script);
  if (auto it = scriptAnswers_.find(script); it != scriptAnswers_.end()) return it->second;
  if (script == "document.title") return title_;
  return scriptHandler_ ? scriptHandler_(script) : std::string();
}

void UIWebView::layoutSubviews() {
  UIView::layoutSubviews();
  CGRect b = bounds();
  scroller_->setFrame(b);
  CGRect f = document_->frame();
  if (f.size.width != b.size.width) show(shown_);
}

void UIWebView::describeAttributes(std::string& line) const {
  if (request_ && request_->URL()) line += " url=" + request_->URL()->absoluteString();
  if (loading_) line += " loading";
}

NS_CLASS_IMPLEMENTATION(UIScroller) {}
NS_CLASS_IMPLEMENTATION(UIWebDocumentView) {}
NS_CLASS_IMPLEMENTATION(UIWebView) {}
