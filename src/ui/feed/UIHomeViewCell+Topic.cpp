// The topic item: the topic's name between two topic marks, a dotted rule, its note and its
// read and join counts, on the topic frame picture.
#include "Common/Additions/UIImage+Resize.h"
#include "Foundation/NSString.h"
#include "UIKit/UIImageView.h"
#include "UIKit/UILabel.h"
#include "core/NSGlobe.h"
#include "core/UIBkImageView.h"
#include "model/NSTopic.h"
#include "ui/feed/UIHomeViewCell.h"
#include "ui/widgets/UIImageLabel.h"

namespace {

constexpr std::string_view kTopicMark = "<img alt=\"img\" src=\"topicImg\">";

std::shared_ptr<UILabel> clearLabel(CGRect frame, std::string text,
                                    std::shared_ptr<UIColor> colour) {
  auto label = std::make_shared<UILabel>(frame);
  label->setBackgroundColor(UIColor::clearColor());
  label->setTextColor(std::move(colour));
  label->setText(std::move(text));
  return label;
}

}  // namespace

std::shared_ptr<UIHomeViewCell> UIHomeViewCell::initWithItem(
    const std::shared_ptr<NSObject>& item, std::weak_ptr<UIHomeViewCellDelegate> delegate,
    int actionType, NSIndexPath index) {
  auto view = std::make_shared<UIHomeViewCell>(CGRectMake(15, 10, 290, 160));
  view->setWeiboitem(item);
  view->setCellDelegate(std::move(delegate));
  view->setActionType(actionType);
  view->setIndexPath(index);
  auto topic = std::dynamic_pointer_cast<NSTopic>(item);
  if (!topic) return view;
  bool day = NSGlobe::getEngine()->getCurThemeSelect() == 1;

  auto frame = std::make_shared<UIImageView>(CGRectMake(0, 0, 290, 100));
  frame->setTag(kTopicFrameTag);
  frame->setImage(UIImage::imageNamed(day ? "topicFrame" : "topicFrame_theme1"));
  view->addSubview(frame);

  auto font15 = UIFont::systemFontOfSize(15);
  auto title = UIImageLabel::initWithFrame(CGRectMake(10, 5, 270, 30));
  title->setText(std::string(kTopicMark) + " " + topic->name + " " + std::string(kTopicMark));
  if (!day) title->setTextColor(UIBkImageView::getFontColor());
  title->setMyFont(font15);
  CGSize titleSize = sizeWithFont("            " + topic->name, font15, CGSizeMake(270, 1000),
                                  title->lineBreakMode());
  title->setFrame(CGRectMake(10, 5, titleSize.width, titleSize.height));
  frame->addSubview(title);
  CGFloat T = titleSize.height;

  frame->addSubview(
      clearLabel(CGRectMake(5, T + 5, 280, 10), " " + std::string(57, '.'), UIColor::grayColor()));

  auto query = clearLabel(CGRectMake(10, T + 15, 270, 10), topic->query, UIColor::grayColor());
  query->setFont(font15);
  query->setNumberOfLines(0);
  CGSize querySize =
      sizeWithFont(topic->query, font15, CGSizeMake(270, 1000), query->lineBreakMode());
  query->setFrame(CGRectMake(10, T + 15, querySize.width, querySize.height));
  frame->addSubview(query);

  CGFloat y = T + 15 + querySize.height;
  std::string countText = stringWithFormat("浏览(%lld) 参与(%lld)", (long long)topic->readAmount,
                                           (long long)topic->amount);
  auto counts = clearLabel(CGRectMake(10, y, 270, 20), countText,
                           day ? UIColor::grayColor() : UIBkImageView::getFontColor());
  counts->setFont(UIFont::systemFontOfSize(14));
  counts->setTextAlignment(UITextAlignmentRight);
  frame->addSubview(counts);
  CGFloat w = sizeWithFont(countText, counts->font(), CGSizeMake(270, 20)).width;
  auto speaker = std::make_shared<UIImageView>(CGRectMake(250 - w, y + 2, 24, 16));
  speaker->setImage(imageFileNamed("SpeakerS"));
  frame->addSubview(speaker);

  frame->setFrame(CGRectMake(0, 0, 290, y + 30));
  view->setFrame(CGRectMake(15, 10, 290, y + 50));
  return view;
}

CGFloat UIHomeViewCell::getTopicHeightForCellRow(const std::shared_ptr<NSObject>& item) {
  auto font15 = UIFont::systemFontOfSize(15);
  auto topic = std::dynamic_pointer_cast<NSTopic>(item);
  std::string name = topic ? topic->name : std::string();
  CGFloat nameHeight = name.empty() ? 0
                                    : sizeWithFont("      " + name, font15, CGSizeMake(270, 1000),
                                                   UILineBreakModeCharacterWrap)
                                          .height;
  CGFloat A = nameHeight + 15;
  CGFloat B =
      topic ? sizeWithFont(topic->query, font15, CGSizeMake(270, 1000), UILineBreakModeWordWrap)
                  .height
            : nameHeight;
  return A + B + 40;
}
