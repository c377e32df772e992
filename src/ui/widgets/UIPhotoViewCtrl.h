// The full-screen photo screen, presented modally: a UIPhotoView (tag 41) of `filePath` under
// the bar of the interface resource "UIPhotoViewCtrl" (a close button, tag 1, and a save
// button, tag 2, both sending btnAction:).  A still tap on the picture closes the screen; a
// failed download closes it 1.0 s later.  Saving writes the shown picture to the saved-photos
// album and says whether it worked.  Portrait only.  Main thread only.
#pragma once

#include <memory>
#include <string>

#include "ui/framework/UIBaseViewCtrl.h"
#include "ui/widgets/UIPhotoView.h"

class UIButton;

// Asked whether a picture was downloaded; optional.
class PhotoDlegate {
 public:
  virtual ~PhotoDlegate() = default;
  virtual long isDownLoadOkImg(const Value& /*object*/) { return 0; }
};

class UIPhotoViewCtrl : public UIBaseViewCtrl, public PhotoTouch {
  NS_CLASS(UIPhotoViewCtrl, UIBaseViewCtrl)
 public:
  static constexpr long kPhotoViewTag = 41;
  static constexpr long kCloseTag = 1;
  static constexpr long kSaveTag = 2;
  inline static const std::string kSaveFailedText = "    保存图片失败！    ";

  // initWithNibName:bundle: - the screen built from the named interface resource (only
  // "UIPhotoViewCtrl" is known; any other name gives a plain view without the bar).
  static std::shared_ptr<UIPhotoViewCtrl> initWithNibName(std::string nibName = "UIPhotoViewCtrl");
  UIPhotoViewCtrl() = default;

  void loadView() override;
  void viewDidLoad() override;
  bool shouldAutorotateToInterfaceOrientation(UIInterfaceOrientation orientation) override;

  // Tag 1 closes (cancelling the download); any other tag saves.
  void btnAction(const std::shared_ptr<UIView>& button);

  // ---- PhotoTouch
  void touch() override;
  void downLoadFail() override;
  long isDownLoadOkImg(const Value& object) override;

  const std::string& filePath() const { return filePath_; }
  void setFilePath(std::string path) { filePath_ = std::move(path); }
  int weiboType() const { return weiboType_; }
  void setWeiboType(int type) { weiboType_ = type; }
  std::weak_ptr<PhotoDlegate> photoDelegate() const { return photoDelegate_; }
  void setPhotoDelegate(std::weak_ptr<PhotoDlegate> d) { photoDelegate_ = std::move(d); }

  std::shared_ptr<UIPhotoView> photoView() const;

 private:
  void buildInterface();
  void save();

  std::string nibName_;
  std::string filePath_;
  int weiboType_ = 0;
  std::weak_ptr<PhotoDlegate> photoDelegate_;
};
