// The comment and repost composer, least stand-in until the sharing screens are built: a screen
// of the navigation controller that keeps what its caller set (kind, title, status id, the
// comment answered, the repost text) and a text view with the text filled in, and reports its
// arrival on the navigation stack to the stand-in sink (ui/framework/StandInSink.h) as
// ("UIMsgViewCtrl", "show", [type, title, weibo id, the text view's text]).
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "UIKit/UITextView.h"
#include "ui/framework/UIViewCtrl.h"

struct Comment;

class UIMsgViewCtrl : public UIViewCtrl {
  NS_CLASS(UIMsgViewCtrl, UIViewCtrl)
 public:
  static constexpr int kCommentType = 0;
  static constexpr int kRepostType = 1;

  // initWithType: 0 comment, 1 repost.
  static std::shared_ptr<UIMsgViewCtrl> initWithType(int type);

  void viewDidAppear(bool animated) override;

  int type() const { return type_; }
  void reSetTitle(std::string title) { title_ = std::move(title); }
  const std::string& msgTitle() const { return title_; }
  void setWeiboId(int64_t id) { weiboId_ = id; }
  int64_t weiboId() const { return weiboId_; }
  void setSourceComment(std::shared_ptr<Comment> comment) { sourceComment_ = std::move(comment); }
  const std::shared_ptr<Comment>& sourceComment() const { return sourceComment_; }
  void setRepostText(std::string text) { repostText_ = std::move(text); }
  const std::string& repostText() const { return repostText_; }
  // The text view, made on first use.
  const std::shared_ptr<UITextView>& textV();

 private:
  int type_ = kCommentType;
  std::string title_;
  int64_t weiboId_ = 0;
  std::shared_ptr<Comment> sourceComment_;
  std::string repostText_;
  std::shared_ptr<UITextView> textV_;
};
