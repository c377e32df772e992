#include "screens/reading/FullArticleViewController.h"

#include "Foundation/NSClass.h"
#include "model/OriginalArticle.h"
#include "ui/framework/StandInSink.h"

NS_CLASS_IMPLEMENTATION(FullArticleViewController) {}

void FullArticleViewController::viewDidAppear(bool animated) {
  UIViewCtrl::viewDidAppear(animated);
  reportStandInEvent("FullArticleViewController", "show",
                     Value::arrayOf({Value(article_), Value(readFromChannel_)}));
}
