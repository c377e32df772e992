// The full-article reader, least stand-in until the reader is built: a screen of the navigation
// controller that keeps the article it shows and whether it is the read-later copy, and reports
// its arrival on the navigation stack to the stand-in sink (ui/framework/StandInSink.h) as
// ("FullArticleViewController", "show", [the article, readFromChannel]).
#pragma once

#include <memory>

#include "ui/framework/UIViewCtrl.h"

struct OriginalArticle;

class FullArticleViewController : public UIViewCtrl {
  NS_CLASS(FullArticleViewController, UIViewCtrl)
 public:
  void viewDidAppear(bool animated) override;

  // YES: the page is the read-later copy; NO: the page cache's.
  void setReadFromChannel(bool b) { readFromChannel_ = b; }
  bool readFromChannel() const { return readFromChannel_; }
  void setArticle(std::shared_ptr<OriginalArticle> article) { article_ = std::move(article); }
  const std::shared_ptr<OriginalArticle>& article() const { return article_; }

 private:
  bool readFromChannel_ = false;
  std::shared_ptr<OriginalArticle> article_;
};
