// The mail share, least stand-in until the sharing screens are built: a screen that keeps the
// article or status it was asked to mail and its mail delegate, and reports each request to the
// stand-in sink (ui/framework/StandInSink.h) as ("UISendMailViewCtrl", "shareArticle" or
// "shardOdoZu", the record).  sendEmailOver tells the delegate that the composer is done.
#pragma once

#include <memory>

#include "Foundation/NSObject.h"
#include "ui/framework/UIViewCtrl.h"

struct OriginalArticle;
struct Status;

// Told when the mail composer is done (its result code).
class SendMailDelegate {
 public:
  virtual ~SendMailDelegate() = default;
  virtual void sendEmailOver(int /*result*/) {}
};

class UISendMailViewCtrl : public UIViewCtrl {
  NS_CLASS(UISendMailViewCtrl, UIViewCtrl)
 public:
  // Not retained.
  void setMailDelegate(std::weak_ptr<SendMailDelegate> delegate) {
    mailDelegate_ = std::move(delegate);
  }
  const std::weak_ptr<SendMailDelegate>& mailDelegate() const { return mailDelegate_; }
  // fromLater: the read-later copy of the article.
  void shareArticle(const std::shared_ptr<OriginalArticle>& article, bool fromLater);
  void shardOdoZu(const std::shared_ptr<Status>& status);
  // The composer is done: the delegate's sendEmailOver, when it lives.
  void sendEmailOver(int result);

 private:
  std::weak_ptr<SendMailDelegate> mailDelegate_;
};
