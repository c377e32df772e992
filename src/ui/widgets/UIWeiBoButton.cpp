#include "ui/widgets/UIWeiBoButton.h"

#include "Foundation/NSClass.h"
#include "UIKit/UIColor.h"
#include "UIKit/UIImage.h"
#include "UIKit/UIImageView.h"
#include "UIKit/UILabel.h"
#include "UIKit/UITextView.h"

NS_CLASS_IMPLEMENTATION(UIWeiBoButton) {}

std::shared_ptr<UIWeiBoButton> UIWeiBoButton::initBtn(long type, std::optional<std::string> name,
                                                      std::optional<std::string> text,
                                                      std::optional<std::string> imagePath,
                                                      std::optional<std::string> addTime,
                                                      bool left) {
  auto card = std::make_shared<UIWeiBoButton>();
  card->setFrame(CGRectMake(left ? 20 : 175, 20, 125, 140));
  card->setBackgroundColor(UIColor::grayColor());
  std::weak_ptr<UIWeiBoButton> weak = card;
  card->addTarget(Selector("BtnClick:", weak,
                           [weak](const Value&) {
                             if (auto c = weak.lock()) c->BtnClick();
                           }),
                  UIControlEventTouchUpInside);
  card->btnType_ = type;
  card->name_ = name.value_or("");
  card->text_ = text.value_or("");
  card->imagePath_ = imagePath.value_or("");
  card->addTime_ = addTime.value_or("");

  auto mark = std::make_shared<UIImageView>(CGRectMake(5, 5, 5, 5));
  mark->setBackgroundColor(UIColor::clearColor());
  card->addSubview(mark);

  auto nameLabel = std::make_shared<UILabel>(CGRectMake(38, 5, 76, 5));
  nameLabel->setText(card->name_);
  nameLabel->setBackgroundColor(UIColor::clearColor());
  card->addSubview(nameLabel);

  auto picture = std::make_shared<UIImageView>(CGRectMake(5, 30, 115, 54));
  if (!card->imagePath_.empty())
    picture->setImage(UIImage::imageWithContentsOfFile(card->imagePath_));
  card->addSubview(picture);

  auto body = std::make_shared<UITextView>(CGRectMake(5, 87, 115, 38));
  body->setText(card->text_);
  body->setEditable(false);
  body->setUserInteractionEnabled(false);
  body->setBackgroundColor(UIColor::clearColor());
  card->addSubview(body);

  auto time = std::make_shared<UILabel>(CGRectMake(44, 120, 76, 20));
  time->setText(card->addTime_);
  time->setBackgroundColor(UIColor::clearColor());
  card->addSubview(time);
  return card;
}

void UIWeiBoButton::BtnClick() {
  if (auto d = btnDelegate()) d->SelectBtn(self<UIWeiBoButton>());
}

void UIWeiBoButton::resetViewHight(long amount) {
  CGRect f = frame();
  f.origin.y += amount;
  setFrame(f);
}
