#include "uilib/views/ULYouTubeView.h"

#include <cstdio>

#include "Foundation/NSClass.h"

namespace {

// Text as HTML attribute content: the five characters that can end or open markup are escaped.
std::string escapedForHTML(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '"':
        out += "&quot;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '\'':
        out += "&#39;";
        break;
      default:
        out += c;
    }
  }
  return out;
}

std::string wholeNumber(CGFloat value) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%0.0f", static_cast<double>(value));
  return buffer;
}

}  // namespace

ULYouTubeView::ULYouTubeView(std::string urlPath) : ULYouTubeView(CGRectMake(0, 0, 140, 105)) {
  setUrlPath(std::move(urlPath));
}

std::string ULYouTubeView::pageForVideo(const std::string& urlPath, CGSize size) {
  const std::string w = wholeNumber(size.width), h = wholeNumber(size.height);
  const std::string url = escapedForHTML(urlPath);
  return "<html><head><meta name=\"viewport\" content=\"initial-scale=1.0, user-scalable=no, "
         "width=" +
         w +
         "\"/></head><body style=\"background:#fff;margin-top:0px;margin-left:0px\"><div>"
         "<object width=\"" +
         w + "\" height=\"" + h + "\"><param name=\"movie\" value=\"" + url +
         "\"></param><param name=\"wmode\"value=\"transparent\"></param><embed id=\"yt\" src=\"" +
         url + "\" type=\"application/x-shockwave-flash\"wmode=\"transparent\" width=\"" + w +
         "\" height=\"" + h + "\"></embed></object></div></body></html>";
}

void ULYouTubeView::setUrlPath(std::string urlPath) {
  urlPath_ = std::move(urlPath);
  if (urlPath_.empty())
    loadHTMLString("&nbsp;", nullptr);
  else
    loadHTMLString(pageForVideo(urlPath_, bounds().size), nullptr);
}

void ULYouTubeView::layoutSubviews() {
  UIWebView::layoutSubviews();
  const CGSize size = bounds().size;
  stringByEvaluatingJavaScriptFromString("yt.width = " + wholeNumber(size.width) +
                                         "; yt.height = " + wholeNumber(size.height));
}

NS_CLASS_IMPLEMENTATION(ULYouTubeView) {
  c.property("urlPath", &ULYouTubeView::urlPath, &ULYouTubeView::setUrlPath);
}
