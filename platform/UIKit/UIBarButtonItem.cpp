#include "UIKit/UIBarButtonItem.h"

#include "Foundation/NSClass.h"
#include "UIKit/UIButton.h"
#include "UIKit/UIColor.h"
#include "UIKit/UIFont.h"

namespace {

// The words the system's items show (their pictures, in a word).
std::string systemTitle(UIBarButtonSystemItem item) {
  static const char* const titles[] = {
      "Done",  "Cancel", "Edit",     "Save",      "+",      "",     "",     "Compose",
      "Reply", "Action", "Organize", "Bookmarks", "Search", "↻",    "×",    "Camera",
      "Trash", "▶",      "❚❚",       "◀◀",        "▶▶",     "Undo", "Redo", "Curl"};
  if (item < 0 || size_t(item) >= std::size(titles)) return {};
  return titles[item];
}

}  // namespace

UIBarButtonItem::UIBarButtonItem(std::shared_ptr<UIView> customView)
    : customView_(std::move(customView)) {}

UIBarButtonItem::UIBarButtonItem(UIBarButtonSystemItem systemItem, Selector action)
    : systemItem_(systemItem), title_(systemTitle(systemItem)), action_(std::move(action)) {}

UIBarButtonItem::UIBarButtonItem(std::string title, UIBarButtonItemStyle style, Selector action)
    : title_(std::move(title)), style_(style), action_(std::move(action)) {}

UIBarButtonItem::UIBarButtonItem(std::shared_ptr<UIImage> image, UIBarButtonItemStyle style,
                                 Selector action)
    : image_(std::move(image)), style_(style), action_(std::move(action)) {}

void UIBarButtonItem::setCustomView(std::shared_ptr<UIView> view) {
  customView_ = std::move(view);
}

void UIBarButtonItem::setEnabled(bool enabled) {
  enabled_ = enabled;
  if (button_) button_->setEnabled(enabled);
}

std::shared_ptr<UIView> UIBarButtonItem::view() {
  if (customView_) return customView_;
  if (isSpace()) return nullptr;
  if (!button_) {
    button_ = std::make_shared<UIButton>(CGRectZero);
    button_->setTitle(title_, UIControlStateNormal);
    if (image_) button_->setImage(image_, UIControlStateNormal);
    button_->setTitleColor(UIColor::whiteColor(), UIControlStateNormal);
    button_->titleLabel()->setFont(UIFont::boldSystemFontOfSize(12));
    button_->setContentEdgeInsets(UIEdgeInsetsMake(0, 8, 0, 8));
    if (style_ != UIBarButtonItemStyle::Plain || systemItem_ >= 0) {
      button_->layer()->setCornerRadius(5);
      button_->layer()->setBorderWidth(1);
      button_->layer()->setBorderColor(UIColor::colorWithWhite(1, 0.5)->CGColor());
    }
    button_->sizeToFit();
    CGRect f = button_->frame();
    f.size.height = 30;
    if (f.size.width < 30) f.size.width = 30;
    button_->setFrame(f);
    button_->setEnabled(enabled_);
    std::weak_ptr<UIBarButtonItem> weak = weakSelf<UIBarButtonItem>();
    button_->addTarget(UIControlAction{"tapped", weak,
                                       [weak](UIControl&, UIEvent*) {
                                         if (auto self = weak.lock()) self->tapped();
                                       }},
                       UIControlEventTouchUpInside);
  }
  return button_;
}

void UIBarButtonItem::tapped() {
  action_(Value(shared_from_this()));
}

NS_CLASS_IMPLEMENTATION(UIBarButtonItem) {}
