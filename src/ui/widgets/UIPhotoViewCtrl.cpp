#include "ui/widgets/UIPhotoViewCtrl.h"

#include "Foundation/NSBundle.h"
#include "Foundation/NSClass.h"
#include "Foundation/NSThread.h"
#include "UIKit/UIAlertView.h"
#include "UIKit/UIButton.h"
#include "UIKit/UIColor.h"
#include "UIKit/UIImage.h"
#include "UIKit/UISavedPhotosAlbum.h"
#include "core/UIFilePath.h"
#include "ui/framework/PHProgressHUD.h"

namespace {

constexpr double kCloseAfterFailure = 1.0;

std::shared_ptr<UIButton> barButton(CGRect frame, long tag, const char* title) {
  auto button = UIButton::buttonWithType(UIButtonType::Custom);
  button->setFrame(frame);
  button->setTag(tag);
  button->setTitle(std::string(title), UIControlStateNormal);
  button->setTitleColor(UIColor::whiteColor(), UIControlStateNormal);
  return button;
}

}  // namespace

std::shared_ptr<UIPhotoViewCtrl> UIPhotoViewCtrl::initWithNibName(std::string nibName) {
  auto ctrl = std::make_shared<UIPhotoViewCtrl>();
  ctrl->nibName_ = std::move(nibName);
  return ctrl;
}

void UIPhotoViewCtrl::loadView() {
  UIBaseViewCtrl::loadView();
  if (nibName_ == "UIPhotoViewCtrl") buildInterface();
}

// The interface resource "UIPhotoViewCtrl": a dark bar across the top with the close button
// on the left and the save button on the right.
void UIPhotoViewCtrl::buildInterface() {
  auto bar = std::make_shared<UIView>(CGRectMake(0, 0, 320, 44));
  bar->setBackgroundColor(UIColor::colorWithWhite(0, 0.6));
  auto weak = weakSelf<UIPhotoViewCtrl>();
  for (auto button : {barButton(CGRectMake(5, 7, 60, 30), kCloseTag, "关闭"),
                      barButton(CGRectMake(255, 7, 60, 30), kSaveTag, "保存")}) {
    std::weak_ptr<UIButton> sender = button;
    button->addTarget(Selector("btnAction:", weak,
                               [weak, sender](const Value&) {
                                 auto self = weak.lock();
                                 auto b = sender.lock();
                                 if (self && b) self->btnAction(b);
                               }),
                      UIControlEventTouchUpInside);
    bar->addSubview(button);
  }
  view()->addSubview(bar);
}

void UIPhotoViewCtrl::viewDidLoad() {
  UIBaseViewCtrl::viewDidLoad();
  view()->setBackgroundColor(UIColor::blackColor());
  auto photo = UIPhotoView::initWithPath(filePath_, weiboType_);
  photo->setTag(kPhotoViewTag);
  photo->setTouchDelegate(std::dynamic_pointer_cast<PhotoTouch>(shared_from_this()));
  view()->addSubview(photo);
  view()->sendSubviewToBack(photo);
}

std::shared_ptr<UIPhotoView> UIPhotoViewCtrl::photoView() const {
  if (!isViewLoaded()) return nullptr;
  return std::dynamic_pointer_cast<UIPhotoView>(
      const_cast<UIPhotoViewCtrl*>(this)->view()->viewWithTag(kPhotoViewTag));
}

bool UIPhotoViewCtrl::shouldAutorotateToInterfaceOrientation(UIInterfaceOrientation o) {
  return o == UIInterfaceOrientation::Portrait;
}

void UIPhotoViewCtrl::btnAction(const std::shared_ptr<UIView>& button) {
  if (button && button->tag() == kCloseTag) {
    if (auto photo = photoView()) photo->stopDownload();
    dismissModalViewControllerAnimated(true);
    return;
  }
  save();
}

// The alert says the picture was saved only when the album took it.
void UIPhotoViewCtrl::save() {
  auto photo = photoView();
  std::shared_ptr<UIImage> image;
  if (photo && photo->isImageOk()) {
    if (auto path = UIFilePath::getImageWithPath(filePath_, weiboType_))
      image = UIImage::imageWithContentsOfFile(*path);
  }
  if (image && UIImageWriteToSavedPhotosAlbum(image)) {
    auto alert = std::make_shared<UIAlertView>(
        NSLocalizedString("PROMTE"), NSLocalizedString("Save_PIC_OK"),
        std::weak_ptr<UIAlertViewDelegate>(), NSLocalizedString("SUREALERT"));
    alert->show();
    return;
  }
  PHProgressHUD::showPrompt(kSaveFailedText);
}

void UIPhotoViewCtrl::touch() {
  auto close = std::make_shared<UIButton>(CGRectZero);
  close->setTag(kCloseTag);
  btnAction(close);
}

void UIPhotoViewCtrl::downLoadFail() {
  std::weak_ptr<UIPhotoViewCtrl> weak = weakSelf<UIPhotoViewCtrl>();
  performAfterDelay(
      [weak] {
        if (auto self = weak.lock()) self->touch();
      },
      kCloseAfterFailure);
}

long UIPhotoViewCtrl::isDownLoadOkImg(const Value& object) {
  auto d = photoDelegate_.lock();
  return d ? d->isDownLoadOkImg(object) : 0;
}

NS_CLASS_IMPLEMENTATION(UIPhotoViewCtrl) {}
