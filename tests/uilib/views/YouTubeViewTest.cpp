// The video view: the page it loads for an address, the empty page, and the player following
// the view's size.
#include <gtest/gtest.h>

#include "ViewsTestSupport.h"
#include "uilib/views/ULYouTubeView.h"

namespace {

using YouTubeViewTest = ViewsTest;

// The page for a 140 × 105 view, with the address standing for {U}.
std::string expectedPage(const std::string& url) {
  std::string page =
      R"(<html><head><meta name="viewport" content="initial-scale=1.0, user-scalable=no, width=140"/></head><body style="background:#fff;margin-top:0px;margin-left:0px"><div><object width="140" height="105"><param name="movie" value="{U}"></param><param name="wmode"value="transparent"></param><embed id="yt" src="{U}" type="application/x-shockwave-flash"wmode="transparent" width="140" height="105"></embed></object></div></body></html>)";
  for (size_t at; (at = page.find("{U}")) != std::string::npos;) page.replace(at, 3, url);
  return page;
}

TEST_F(YouTubeViewTest, APlainAddressGivesTheTemplateByteForByteWithNoBaseAddress) {
  auto view = std::make_shared<ULYouTubeView>(std::string("http://v.example.org/v/abc123"));
  EXPECT_TRUE(CGRectEqualToRect(view->frame(), CGRectMake(0, 0, 140, 105)));
  EXPECT_EQ(view->urlPath(), "http://v.example.org/v/abc123");
  EXPECT_EQ(view->htmlString(), expectedPage("http://v.example.org/v/abc123"));
  EXPECT_EQ(view->htmlBaseURL(), nullptr);
}

TEST_F(YouTubeViewTest, MarkupCharactersInTheAddressAreEscapedSoTheyCannotLeaveTheAttribute) {
  struct Case {
    const char* url;
    const char* inPage;
  } cases[] = {
      {R"(http://v.example.org/v/a"><script>x()</script>)",
       "http://v.example.org/v/a&quot;&gt;&lt;script&gt;x()&lt;/script&gt;"},
      {"http://v.example.org/v?a=1&b='2'", "http://v.example.org/v?a=1&amp;b=&#39;2&#39;"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.url);
    auto view = std::make_shared<ULYouTubeView>(std::string(c.url));
    EXPECT_EQ(view->urlPath(), c.url);
    EXPECT_EQ(view->htmlString(), expectedPage(c.inPage));
  }
}

TEST_F(YouTubeViewTest, NoAddressLoadsASingleNonBreakingSpace) {
  auto view = std::make_shared<ULYouTubeView>(std::string("http://v.example.org/v/abc123"));
  view->setUrlPath("");
  EXPECT_EQ(view->htmlString(), "&nbsp;");
  EXPECT_EQ(view->urlPath(), "");
}

TEST_F(YouTubeViewTest, AResizedViewResizesThePlayerByScriptWithoutReloading) {
  auto window = showWindow();
  auto view = std::make_shared<ULYouTubeView>(std::string("http://v.example.org/v/abc123"));
  window->addSubview(view);
  MainLoop::pump();
  view->setFrame(CGRectMake(0, 0, 320, 240.4));
  MainLoop::pump();
  ASSERT_FALSE(view->evaluatedScripts().empty());
  EXPECT_EQ(view->evaluatedScripts().back(), "yt.width = 320; yt.height = 240");
  EXPECT_EQ(view->htmlString(), expectedPage("http://v.example.org/v/abc123"));
}

}  // namespace
