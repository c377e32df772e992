// The article item: an article's title, source and three-line summary in a fixed 120-point
// row, with the read-later and read-now buttons when pictures are asked for.
#include "Common/Additions/UIImage+Resize.h"
#include "UIKit/UIButton.h"
#include "UIKit/UILabel.h"
#include "core/NSGlobe.h"
#include "core/UIBkImageView.h"
#include "model/OriginalArticle.h"
#include "ui/feed/UIHomeViewCell.h"

namespace {

constexpr std::string_view kIndent = "        ";
constexpr std::string_view kFrom = "来自：";

}  // namespace

std::shared_ptr<UIHomeViewCell> UIHomeViewCell::initWithArticle(
    const std::shared_ptr<NSObject>& item, bool needImage,
    std::weak_ptr<UIArticleItemDelegate> delegate, bool hasAdded) {
  auto view = std::make_shared<UIHomeViewCell>(CGRectMake(15, 0, 290, kArticleHeight));
  auto article = std::dynamic_pointer_cast<OriginalArticle>(item);
  if (!article) return view;
  auto globe = NSGlobe::getEngine();
  const bool day = globe->getCurThemeSelect() == 1;
  auto addLabel = [&](CGRect frame, std::string text, const std::shared_ptr<UIFont>& font,
                      long lines) {
    auto label = std::make_shared<UILabel>(frame);
    label->setBackgroundColor(UIColor::clearColor());
    label->setFont(font);
    label->setNumberOfLines(lines);
    label->setText(std::move(text));
    if (!day) label->setTextColor(UIBkImageView::getFontColor());
    view->addSubview(label);
  };
  const std::string indent = needImage ? std::string(kIndent) : std::string();

  addLabel(needImage ? CGRectMake(15, 5, 230, 20) : CGRectMake(0, 5, 290, 20), article->title,
           globe->nameFont(), 1);
  if (!article->source.empty())
    addLabel(CGRectMake(0, 30, 250, 20), indent + std::string(kFrom) + article->source,
             globe->timeFont(), 1);
  if (needImage) {
    auto later = std::make_shared<UIButton>(CGRectMake(250, 0, 40, 60));
    later->setTag(kReadLaterTag);
    if (hasAdded) {
      later->setImage(imageFileNamed("readAdded"), UIControlStateNormal);
    } else {
      later->setImage(imageFileNamed("readLater"), UIControlStateNormal);
      later->addTarget(selector(delegate, &UIArticleItemDelegate::readLater, "readLater:"),
                       UIControlEventTouchUpInside);
    }
    view->addSubview(later);
    auto now = std::make_shared<UIButton>(CGRectMake(265, 80, 40, 40));
    now->setImage(imageFileNamed("readNow"), UIControlStateNormal);
    now->addTarget(selector(delegate, &UIArticleItemDelegate::readNow, "readNow:"),
                   UIControlEventTouchUpInside);
    view->addSubview(now);
  }
  addLabel(CGRectMake(0, 66, 280, 50), indent + article->summary, globe->timeFont(), 3);
  return view;
}
