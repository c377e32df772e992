#include "ui/widgets/UIPopView.h"

#include <algorithm>

#include "Foundation/NSClass.h"
#include "QuartzCore/CALayer.h"
#include "UIKit/NSString+UIKit.h"
#include "UIKit/UIColor.h"
#include "UIKit/UIImage.h"
#include "UIKit/UIScreen.h"

namespace {

CGFloat screenHeight() {
  return UIScreen::mainScreen()->bounds().size.height;
}

}  // namespace

UIPopView::~UIPopView() = default;

std::shared_ptr<UIPopView> UIPopView::initPopArray(std::vector<std::shared_ptr<NSObject>> items) {
  auto pop = initWithFrame<UIPopView>(CGRectMake(0, 20, 320, screenHeight() - 20));
  auto arrow = std::make_shared<UIImageView>(CGRectMake(154, 38, 13, 6));
  arrow->setImage(UIImage::imageNamed("popFrameUp"));
  pop->addSubview(arrow);

  pop->mArray_ = std::move(items);
  CGFloat height = pop->mArray_.size() < 2
                       ? 80
                       : std::min(kMaxPanelHeight, kRowHeight * CGFloat(pop->mArray_.size()));
  auto panel = std::make_shared<UIView>(CGRectMake(60, 44, 200, height));
  panel->setBackgroundColor(UIColor::colorWithWhite(0, 0.75));
  panel->layer()->setCornerRadius(5);
  panel->setClipsToBounds(true);
  pop->addSubview(panel);

  pop->popTableView_ =
      std::make_shared<UITableView>(CGRectMake(0, 0, 200, height), UITableViewStyle::Plain);
  auto& table = pop->popTableView_;
  table->setDelegate(pop->weakSelf<UIPopView>());
  table->setDataSource(pop->weakSelf<UIPopView>());
  table->layer()->setCornerRadius(5);
  table->setClipsToBounds(true);
  table->setBackgroundColor(UIColor::clearColor());
  table->setBackgroundView(nullptr);
  table->setSeparatorStyle(UITableViewCellSeparatorStyle::None);
  panel->addSubview(table);
  return pop;
}

std::shared_ptr<UIPopView> UIPopView::initPopWithText(const std::string& text) {
  auto pop = initWithFrame<UIPopView>(CGRectMake(0, 0, 320, screenHeight()));
  auto box = std::make_shared<UIImageView>(CGRectMake(10, 60, 300, 106));
  if (auto image = UIImage::imageNamed("popShowText"))
    box->setImage(image->stretchableImageWithLeftCapWidth(20, 30));
  pop->addSubview(box);

  auto label = std::make_shared<UILabel>(CGRectMake(10, 10, 280, 86));
  label->setText(text);
  label->setNumberOfLines(0);
  label->setTextColor(UIColor::whiteColor());
  label->setBackgroundColor(UIColor::clearColor());
  box->addSubview(label);
  if (!text.empty()) {
    CGFloat h =
        sizeWithFont(text, label->font(), CGSizeMake(280, 1000), label->lineBreakMode()).height +
        10;
    if (h > 96) {
      CGRect lf = label->frame();
      lf.size.height = h;
      label->setFrame(lf);
      CGRect bf = box->frame();
      bf.size.height = h + 20;
      box->setFrame(bf);
    }
  }
  pop->isShowPop_ = true;
  return pop;
}

std::shared_ptr<UITableViewCell> UIPopView::tableViewCellForRowAtIndexPath(
    const std::shared_ptr<UITableView>& tableView, const NSIndexPath& indexPath) {
  auto cell = tableView->dequeueReusableCellWithIdentifier("Cell");
  if (cell) {
    cell->textLabel()->setText({});
    auto old = cell->contentView()->subviews();
    for (auto& sub : old) sub->removeFromSuperview();
  } else {
    cell = std::make_shared<UITableViewCell>(UITableViewCellStyle::Default, "Cell");
  }
  auto label = std::make_shared<UILabel>(CGRectMake(10, 5, 180, 30));
  label->setTextColor(UIColor::whiteColor());
  label->setTextAlignment(UITextAlignmentCenter);
  if (size_t(indexPath.row) < mArray_.size() && mArray_[size_t(indexPath.row)])
    label->setText(std::string(mArray_[size_t(indexPath.row)]->valueForKey("name").string()));
  auto d = popDelegate_.lock();
  bool selected = d && d->getCurPopSelected() == indexPath.row;
  label->setBackgroundColor(selected ? UIColor::blackColor() : UIColor::clearColor());
  cell->contentView()->addSubview(label);
  return cell;
}

void UIPopView::tableViewDidSelectRowAtIndexPath(const std::shared_ptr<UITableView>&,
                                                 const NSIndexPath& indexPath) {
  auto keep = shared_from_this();
  if (auto d = popDelegate_.lock()) d->popViewSelected(indexPath.row);
  removeFromSuperview();
}

void UIPopView::touchesEnded(const UITouchSet&, UIEvent*) {
  auto keep = shared_from_this();
  if (!isShowPop_) {
    if (auto d = popDelegate_.lock()) d->popViewSelected(-1);
  }
  removeFromSuperview();
}

NS_CLASS_IMPLEMENTATION(UIPopView) {}
