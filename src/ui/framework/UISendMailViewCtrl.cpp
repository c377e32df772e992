#include "ui/framework/UISendMailViewCtrl.h"

#include "Foundation/NSClass.h"
#include "model/OriginalArticle.h"
#include "model/Status.h"
#include "ui/framework/StandInSink.h"

NS_CLASS_IMPLEMENTATION(UISendMailViewCtrl) {}

void UISendMailViewCtrl::shareArticle(const std::shared_ptr<OriginalArticle>& article,
                                      bool fromLater) {
  reportStandInEvent("UISendMailViewCtrl", "shareArticle",
                     Value::arrayOf({Value(article), Value(fromLater)}));
}

void UISendMailViewCtrl::shardOdoZu(const std::shared_ptr<Status>& status) {
  reportStandInEvent("UISendMailViewCtrl", "shardOdoZu", Value(status));
}

void UISendMailViewCtrl::sendEmailOver(int result) {
  if (auto delegate = mailDelegate_.lock()) delegate->sendEmailOver(result);
}
