#include "screens/reading/UITabContentView.h"

#include "Common/Additions/UIImage+Resize.h"
#include "Foundation/NSClass.h"
#include "Foundation/NSString.h"
#include "Foundation/NSThread.h"
#include "UIKit/NSString+UIKit.h"
#include "UIKit/UIButton.h"
#include "UIKit/UIColor.h"
#include "UIKit/UIFont.h"
#include "UIKit/UIImageView.h"
#include "core/NSGlobe.h"
#include "core/UIBkImageView.h"
#include "ui/framework/UIZMTapGR.h"

NS_CLASS_IMPLEMENTATION(UITabContentView) {}

namespace {

bool dayTheme() {
  return NSGlobe::getEngine()->getCurThemeSelect() == 1;
}

std::string themed(std::string name) {
  return dayTheme() ? name : name + "_theme1";
}

}  // namespace

UITabContentView::UITabContentView(CGRect frame) : UIView(frame) {
  setBackgroundColor(UIBkImageView::getBkColor());
}

CGFloat UITabContentView::titleWidth(const std::string& title) {
  return sizeWithFont(title, UIFont::systemFontOfSize(UIFont::buttonFontSize()),
                      CGSizeMake(1000, 21), UILineBreakModeClip)
      .width;
}

std::string UITabContentView::repostTitle() const {
  return isHideCount_ ? "  转发  " : stringWithFormat("转发:%d", retCount_);
}

std::string UITabContentView::commentTitle() const {
  return isHideCount_ ? "  评论  " : stringWithFormat("评论:%d", commentCount_);
}

std::shared_ptr<UITabContentView> UITabContentView::initWithRet(
    int retCount, int commentCount, std::weak_ptr<UITabContentViewDelegate> delegate,
    bool isShowRet, bool isHideCount) {
  auto view = std::make_shared<UITabContentView>(CGRectMake(0, 0, 320, 30));
  view->isHideCount_ = isHideCount;
  view->retCount_ = retCount;
  view->commentCount_ = commentCount;
  view->tabDelegate_ = std::move(delegate);
  auto self = view->weakSelf<UITabContentView>();

  auto underline = std::make_shared<UIImageView>(CGRectMake(15, 20, 290, 9));
  underline->setTag(kUnderlineTag);
  underline->setImage(imageFileNamed(themed("conVLine1")));
  view->addSubview(underline);

  // A transparent tap area from areaX, then the title button at x.
  auto addTab = [&](long tag, const std::string& title, CGFloat areaX, CGFloat x,
                    const std::shared_ptr<UIColor>& colour) {
    CGFloat w = titleWidth(title);
    auto area = std::make_shared<UIView>(CGRectMake(areaX, 0, w + 15, 30));
    auto tap =
        std::make_shared<UIZMTapGR>(selector(self, &UITabContentView::tapAction, "tapAction:"));
    tap->setTag(tag);
    area->addGestureRecognizer(tap);
    view->addSubview(area);
    auto button = std::make_shared<UIButton>(CGRectMake(x, 0, w, 21));
    button->setBackgroundColor(UIColor::clearColor());
    button->setTag(tag);
    button->setTitle(title, UIControlStateNormal);
    button->setTitleColor(colour, UIControlStateNormal);
    button->addTarget(selector(self, &UITabContentView::tapSelect, "tapSelect:"),
                      UIControlEventTouchUpInside);
    view->addSubview(button);
    return w;
  };
  CGFloat w1 = addTab(kRepostTag, view->repostTitle(), 0, 15, UIColor::grayColor());
  auto separator = std::make_shared<UIImageView>(CGRectMake(w1 + 18, 0, 1, 21));
  separator->setTag(kSeparatorTag);
  separator->setImage(imageFileNamed("conHLine"));
  view->addSubview(separator);
  addTab(kCommentTag, view->commentTitle(), w1 + 22, w1 + 22, UIColor::redColor());

  view->curSelectIndex_ = isShowRet ? 1 : 0;
  view->setTabStatue(view->curSelectIndex_);
  return view;
}

void UITabContentView::setTabStatue(int index) {
  auto repost = std::dynamic_pointer_cast<UIButton>(viewWithTag(kRepostTag));
  auto comment = std::dynamic_pointer_cast<UIButton>(viewWithTag(kCommentTag));
  auto underline = std::dynamic_pointer_cast<UIImageView>(viewWithTag(kUnderlineTag));
  const bool reposts = index == 1;
  if (repost)
    repost->setTitleColor(reposts ? UIColor::redColor() : UIColor::grayColor(),
                          UIControlStateNormal);
  if (comment)
    comment->setTitleColor(reposts ? UIColor::grayColor() : UIColor::redColor(),
                           UIControlStateNormal);
  if (underline) underline->setImage(imageFileNamed(themed(reposts ? "conVLine1" : "conVLine2")));
}

void UITabContentView::setDefaultTabStatue(int index) {
  if (index == curSelectIndex_) return;
  setTabStatue(index);
  curSelectIndex_ = index;
}

void UITabContentView::select(long senderTag) {
  int index = senderTag == kRepostTag ? 1 : 0;
  if (index == curSelectIndex_) return;
  setDefaultTabStatue(index);
  performSelectorAfterDelay(
      selector(weakSelf<UITabContentView>(), &UITabContentView::setCurrentData, "setCurrentData"),
      {}, 0.1);
}

void UITabContentView::tapSelect(const Value& sender) {
  auto view = sender.object<UIView>();
  select(view ? view->tag() : 0);
}

void UITabContentView::tapAction(const Value& sender) {
  auto tap = sender.object<UIZMTapGR>();
  select(tap ? tap->tag() : 0);
}

void UITabContentView::setCurrentData() {
  if (auto d = tabDelegate_.lock()) d->curSelectTabIndex(curSelectIndex_);
}

void UITabContentView::refreshCount(int retCount, int commentCount) {
  if (retCount >= 0) retCount_ = retCount;
  if (commentCount >= 0) commentCount_ = commentCount;
  if (!isHideCount_) refresh();
}

void UITabContentView::setIsHideCount(bool hide) {
  if (hide == isHideCount_) return;
  isHideCount_ = hide;
  if (!hide) refresh();
}

void UITabContentView::refresh() {
  std::string first = repostTitle(), second = commentTitle();
  CGFloat w1 = titleWidth(first), w2 = titleWidth(second);
  if (auto repost = std::dynamic_pointer_cast<UIButton>(viewWithTag(kRepostTag))) {
    CGRect f = repost->frame();
    repost->setFrame(CGRectMake(f.origin.x, f.origin.y, w1, f.size.height));
    repost->setTitle(first, UIControlStateNormal);
  }
  if (auto separator = viewWithTag(kSeparatorTag)) {
    CGRect f = separator->frame();
    separator->setFrame(CGRectMake(w1 + 18, f.origin.y, f.size.width, f.size.height));
  }
  if (auto comment = std::dynamic_pointer_cast<UIButton>(viewWithTag(kCommentTag))) {
    CGRect f = comment->frame();
    comment->setFrame(CGRectMake(w1 + 22, f.origin.y, w2, f.size.height));
    comment->setTitle(second, UIControlStateNormal);
  }
}
