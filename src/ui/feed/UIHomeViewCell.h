// The view of one row of any list: a plain 290-point-wide view at x 15 that a list screen puts
// into its own table cell.  One builder per item kind lays the row out from measured texts;
// a class method of the same kind gives the row's height without building a view (the two
// differ by design: the view is as high as its last part + 25, the row leaves room for the
// counts).  Every tap goes to the delegate; picture downloads report their row through
// DownloadOver so that the screen reloads it (the new view then finds the picture cached).
//
// Building reads the picture mode, head, theme and font settings of NSGlobe at that moment.
// A view may hold up to three downloads (head, own picture, reposted picture); stopAllRequest
// ends them and detaches the item and the delegate, and the destructor calls it, so no
// download reaches a freed view.  Main thread only.
//
// Tags of the status layout, which other item kinds reuse for the same roles and by which the
// screens find the parts: see the k...Tag constants.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "Foundation/NSIndexPath.h"
#include "Foundation/NSString.h"
#include "UIKit/UIView.h"
#include "model/Comment.h"
#include "model/Status.h"
#include "ui/feed/UIHomeViewCellDelegate.h"
#include "ui/widgets/MyLabel.h"

class HXHTTPRequest;
class UIButtonView;
class UIFont;
class UIImage;
class UIImageView;
class UILabel;

// A text label of an item that can name the links it shows (the rich-text labels): the n-th
// link's text, or nullopt.
class UILinkTextSource {
 public:
  virtual ~UILinkTextSource() = default;
  virtual std::optional<std::string> getHttpStr(int n) = 0;
};

class UIHomeViewCell : public UIView, public MyLabelDelegate {
  NS_CLASS(UIHomeViewCell, UIView)
 public:
  static constexpr long kLikeTapTag = 37;
  static constexpr long kLikeCountTag = 38;
  static constexpr long kLikeIconTag = 39;
  static constexpr long kLikeButtonTag = 40;
  static constexpr long kNameTag = 41;
  static constexpr long kVerifiedTag = 42;
  static constexpr long kTimeTag = 43;
  static constexpr long kTextTag = 44;
  static constexpr long kPictureTag = 45;
  static constexpr long kRetweetCountTag = 46;
  static constexpr long kRetweetIconTag = 47;
  static constexpr long kCommentCountTag = 78;
  static constexpr long kCommentIconTag = 79;
  static constexpr long kPictureMarkTag = 80;
  static constexpr long kGifBadgeTag = 81;
  static constexpr long kRepostBoxTag = 83;
  static constexpr long kRepostAuthorTag = 84;
  static constexpr long kRepostTextTag = 85;
  static constexpr long kRepostCommentCountTag = 87;
  static constexpr long kRepostCommentIconTag = 88;
  static constexpr long kRepostRetweetCountTag = 89;
  static constexpr long kRepostRetweetIconTag = 90;
  static constexpr long kFavouriteTag = 91;
  static constexpr long kFavouredTag = 92;
  static constexpr long kPlayBadgeTag = 131;
  static constexpr long kTopicFrameTag = 133;

  // The row that loads more items.
  static constexpr CGFloat kMoreRowHeight = 40;
  // Picture downloads give up after this long.
  static constexpr double kDownloadTimeOut = 60;

  // The inputs of the status layout routine (initWithImagePath:name:time:comment:withComName:
  // content:src:Withflag:retweetsCount:commentsCount:likeCount:withType:picUrl:retweets:
  // verification:haveLiked:), in its order.  An empty text counts as none.
  struct StatusLayout {
    std::string head;         // the author's head picture address
    std::string name;         // the author's screen name
    std::string time;         // the time text
    std::string comment;      // the reposted text
    std::string withComName;  // the reposted author
    std::string content;      // the text
    std::string src;          // the source (not shown)
    bool Withflag = false;    // has a reposted status
    int retweetsCount = 0;
    int commentsCount = 0;
    int likeCount = 0;
    int withType = 0;      // the list kind
    std::string picUrl;    // the own picture's address
    std::string retweets;  // the reposted picture's address
    bool verification = false;
    bool haveLiked = false;
  };

  UIHomeViewCell() : UIHomeViewCell(CGRectZero) {}
  // initWithFrame: the plain view.
  explicit UIHomeViewCell(CGRect frame);
  ~UIHomeViewCell() override;

  // ---- the status item
  static std::shared_ptr<UIHomeViewCell> initWithItem(
      const StatusPtr& item, std::weak_ptr<UIHomeViewCellDelegate> delegate, int actionType,
      NSIndexPath index, bool picIsInLeft, bool retweent, bool startDownload);
  // The status layout routine on a view whose item fields are set.
  void initWithImagePath(const StatusLayout& in);
  static CGFloat getHeightForCellRowAtIndexPath(
      NSIndexPath indexPath, const StatusPtr& item, int num, int actionType,
      const std::weak_ptr<UIHomeViewCellDelegate>& delegate, bool retweent, bool isShowAd);

  // ---- the video status item
  static std::shared_ptr<UIHomeViewCell> initWithVideoItem(
      const StatusPtr& item, std::weak_ptr<UIHomeViewCellDelegate> delegate, int actionType,
      NSIndexPath index, bool picIsInLeft, bool retweent, bool startDownload);
  void initWithVideoPath(const StatusLayout& in);
  static CGFloat getVideoHeightForCellRowAtIndexPath(
      NSIndexPath indexPath, const StatusPtr& item, int num, int actionType,
      const std::weak_ptr<UIHomeViewCellDelegate>& delegate, bool retweent, bool isShowAd);

  // ---- the topic item (an NSTopic; any other item gives the empty view)
  static std::shared_ptr<UIHomeViewCell> initWithItem(
      const std::shared_ptr<NSObject>& item, std::weak_ptr<UIHomeViewCellDelegate> delegate,
      int actionType, NSIndexPath index);
  static CGFloat getTopicHeightForCellRow(const std::shared_ptr<NSObject>& item);

  // ---- the comment items.  The comment-list item: a comment of the comments timeline with
  // the text it answers in a bubble, 290 wide, its height left at 50 (the list sizes the row).
  static std::shared_ptr<UIHomeViewCell> initWithItem(const CommentPtr& item, int actionType);
  static CGFloat getHeightWithComment(const CommentPtr& item);
  // The detail comment item: a Comment (with a reply button) or a repost Status under the
  // detail view, one text "name: text (time)" beside the head; the view's height is set.  Any
  // other item gives the empty view.
  static std::shared_ptr<UIHomeViewCell> initWithItem(
      const std::shared_ptr<NSObject>& item, int actionType,
      std::weak_ptr<UIHomeViewCellDelegate> delegate);
  static CGFloat getHeightWithComment(const std::shared_ptr<NSObject>& item, int actionType);
  // The detail row's text "name: text (time)"; a time text shorter than two characters is left
  // out and the brackets stay empty.  The builder and the height rule both use it.
  static std::string detailCommentText(std::string_view name, std::string_view text,
                                       std::string_view time);
  // The framed comment item: the comment-list item on a card.
  static std::shared_ptr<UIHomeViewCell> initWithNewItem(const CommentPtr& item, int actionType);
  static CGFloat getHeightWithNewComment(const CommentPtr& item);

  // ---- the article item (an OriginalArticle; any other item gives the empty 290 x 120 view):
  // title, source and summary; with needImage also the read-later button (tag 91, "readAdded"
  // without action when hasAdded) and the read-now button, whose taps go to the delegate with
  // the button as sender.
  static std::shared_ptr<UIHomeViewCell> initWithArticle(
      const std::shared_ptr<NSObject>& item, bool needImage,
      std::weak_ptr<UIArticleItemDelegate> delegate, bool hasAdded = false);
  static constexpr long kReadLaterTag = 91;
  static constexpr CGFloat kArticleHeight = 120;

  // ---- the detail layout: the list item re-laid out whole for the detail view (head, name,
  // like control, action bar, full text as a rich-text label, middle-size picture, quoted
  // status with its picture and counts).  Views are made once and found again by tag, so a
  // second run only moves them.  Action types 100 and 101 have re-layouts of their own.
  void reloadCell();
  // How many points the own picture (else the quoted one) grows when reloadCell shows its
  // middle-size picture; 0 while the file is not there.
  CGFloat reloadCellModifyHeight();
  void reloadTuiJianCell() {}
  void reloadZiViActionCell() {}
  static constexpr long kActionLineTag = 82;
  static constexpr long kDeleteTag = 93;
  static constexpr long kMailTag = 94;

  // copyWithZone: a new view of the same item built the same way.
  std::shared_ptr<UIHomeViewCell> copyWithZone() const;

  // ---- shared measures of the builders and height rules
  // 40 for the row after the last loaded item when that number is a non-zero multiple of 20.
  static bool isMoreRow(NSIndexPath indexPath, int num, bool isShowAd);
  // The whole lines of the text's height (at least 1).
  static int getLineOriSH(CGFloat height);
  // The text's height at the width, cut to 60 lines.
  static CGFloat cappedTextHeight(std::string_view text, const std::shared_ptr<UIFont>& font,
                                  CGFloat width);

  // ---- small actions
  void reDrawUIZMLabel();
  void reFreshContentCount();
  void refreshFavorited(bool favourite);
  void showInfo(const Value& sender);
  void showHead(const Value& sender);
  void goodPress(const Value& sender);
  void tapAction(const Value& sender);
  void retapAction(const Value& sender);
  void tapTuiJianAction(const Value& sender);
  void btnAction(const Value& sender);
  void OriginalComment(const Value& sender);
  void OriginalRetweet(const Value& sender);
  void commentAction(const Value& sender);
  void retweetAction(const Value& sender);
  void replyComment(const Value& sender);
  void detail(const Value& sender);
  // The reposted author's label: a tap opens it, a long press offers it (MyLabelDelegate).
  void openURL(const std::string& text) override;
  void longPressAction(const std::string& text) override;
  bool respondsToSelector(std::string_view selector) const override;
  // The address tapAction opens for a status: original, medium or small picture, the medium
  // one in place of a GIF; nullopt without any.
  static std::optional<std::string> fullPictureAddress(const StatusPtr& status);

  // ---- touch feedback: half transparent while touched
  void touchesBegan(const UITouchSet& touches, UIEvent* event) override;
  void touchesMoved(const UITouchSet& touches, UIEvent* event) override;
  void touchesEnded(const UITouchSet& touches, UIEvent* event) override;
  void touchesCancelled(const UITouchSet& touches, UIEvent* event) override;

  // ---- pictures and downloads
  void finish(const std::shared_ptr<HXHTTPRequest>& request);
  void picFinish(const std::shared_ptr<HXHTTPRequest>& request);
  void rePicFinish(const std::shared_ptr<HXHTTPRequest>& request);
  void midpicFinish(const std::shared_ptr<HXHTTPRequest>& request);
  void reStartDownload();
  void reStartProductDownload();
  void stopAllRequest();
  // Decides the item's imageType once and badges a GIF's picture button.
  void addGifIcon(std::string_view address, const std::shared_ptr<UIView>& button);
  // Fitted into 50 × 50 (100 × 100 pixels on a retina device).
  static std::shared_ptr<UIImage> pressImage(const std::shared_ptr<UIImage>& image);
  static std::shared_ptr<UIImage> processImage(const std::shared_ptr<UIImage>& image,
                                               CGFloat maxWidth, CGFloat maxHeight);
  // The picture of the cache file of an address, when it is there and decodes.
  static std::shared_ptr<UIImage> cachedImage(std::string_view address);

  // ---- link and name tests (UTF-16 indexes; NSNotFound as not found)
  static NSRange isHttpString(std::string_view text);
  static NSRange isAtDrawString(std::string_view text);
  static NSRange isAtString(std::string_view text);
  // The n-th link of the own (or reposted) text when it is a short link of the platform.
  std::optional<std::string> getHttpStr(bool reposted, int n);
  static bool isShortLink(std::string_view text);

  // ---- fields
  const std::shared_ptr<UIImageView>& imgView() const { return imgView_; }
  void setImgView(std::shared_ptr<UIImageView> v) { imgView_ = std::move(v); }
  const std::shared_ptr<UIButtonView>& picBtn() const { return picBtn_; }
  const std::shared_ptr<UIButtonView>& rePicBtn() const { return rePicBtn_; }
  int actionType() const { return actionType_; }
  void setActionType(int t) { actionType_ = t; }
  int subSelectType() const { return subSelectType_; }
  void setSubSelectType(int t) { subSelectType_ = t; }
  const std::shared_ptr<HXHTTPRequest>& request() const { return request_; }
  const std::shared_ptr<HXHTTPRequest>& picRequest() const { return picRequest_; }
  const std::shared_ptr<HXHTTPRequest>& rePicRequest() const { return rePicRequest_; }
  // The detail layouts run their medium-size downloads in these fields.
  void setPicRequest(std::shared_ptr<HXHTTPRequest> r) { picRequest_ = std::move(r); }
  void setRePicRequest(std::shared_ptr<HXHTTPRequest> r) { rePicRequest_ = std::move(r); }
  const NSIndexPath& indexPath() const { return indexPath_; }
  void setIndexPath(NSIndexPath p) { indexPath_ = p; }
  std::shared_ptr<UIHomeViewCellDelegate> cellDelegate() const { return cellDelegate_.lock(); }
  void setCellDelegate(std::weak_ptr<UIHomeViewCellDelegate> d) { cellDelegate_ = std::move(d); }
  const std::shared_ptr<NSObject>& weiboitem() const { return weiboitem_; }
  void setWeiboitem(std::shared_ptr<NSObject> item) { weiboitem_ = std::move(item); }
  long timeTampe() const { return timeTampe_; }
  void setTimeTampe(long t) { timeTampe_ = t; }
  bool needSave() const { return needSave_; }
  void setNeedSave(bool b) { needSave_ = b; }
  bool picInLeft() const { return picInLeft_; }
  void setPicInLeft(bool b) { picInLeft_ = b; }
  bool needRetShow() const { return needRetShow_; }
  void setNeedRetShow(bool b) { needRetShow_ = b; }
  bool isStartDownload() const { return isStartDownload_; }
  void setIsStartDownload(bool b) { isStartDownload_ = b; }
  bool canDelete() const { return canDelete_; }
  void setCanDelete(bool b) { canDelete_ = b; }
  int needSeminarBtn() const { return needSeminarBtn_; }
  void setNeedSeminarBtn(int n) { needSeminarBtn_ = n; }
  const std::shared_ptr<UIView>& goodBtnView() const { return goodBtnView_; }
  void setGoodBtnView(std::shared_ptr<UIView> v) { goodBtnView_ = std::move(v); }
  CGSize thumbnailSize() const { return thumbnailSize_; }
  void setThumbnailSize(CGSize s) { thumbnailSize_ = s; }

  // A download of the address into its cache file, reporting to the handler; with the app's
  // user agent when asked (the restarts), else the engine's.  nullptr for an address that is
  // no URL.
  std::shared_ptr<HXHTTPRequest> startPictureDownload(
      std::string_view address,
      void (UIHomeViewCell::*handler)(const std::shared_ptr<HXHTTPRequest>&),
      std::string_view handlerName, bool withUserAgent);

 protected:
  // The fields every status-like builder sets before its layout routine.
  // Sets them from a (present) status and gives the layout routine's inputs.
  StatusLayout takeItem(const StatusPtr& item, std::weak_ptr<UIHomeViewCellDelegate> delegate,
                        int actionType, NSIndexPath index, bool picIsInLeft, bool retweent,
                        bool startDownload);
  static StatusLayout layoutInputs(const Status& item);
  // The author's name label at x, tappable, before its width is set.
  std::shared_ptr<UILabel> makeNameLabel(const std::string& text, CGFloat x);
  // What a shown repost adds to a row's height, its text measured at the width.
  static CGFloat repostRowHeight(const Status& item, CGFloat width);
  // The own picture button (50 × 50 at the point) with its cached picture or placeholder.
  std::shared_ptr<UIButtonView> makePictureButton(CGPoint origin, const std::string& address,
                                                  bool own);
  // The repost box from y: background, author, text, picture and counts; returns the bottom.
  CGFloat layoutRepost(const StatusLayout& in, CGFloat P, CGFloat Y, bool video);
  void addLikeButton(bool liked, int likeCount);
  // The head of a comment or repost row in imgView: the cached picture (its top-left square
  // when asked), else the placeholder and a download.
  void addCommentHead(CGRect frame, bool square);

 private:
  void recordDownload(const std::string& path);
  // A finished own or reposted picture: recorded, the row reported, the field cleared.
  void pictureFinished(const std::shared_ptr<HXHTTPRequest>& request,
                       std::shared_ptr<HXHTTPRequest>& field);
  std::shared_ptr<Status> status() const { return std::dynamic_pointer_cast<Status>(weiboitem_); }

  std::shared_ptr<UIImageView> imgView_;
  std::shared_ptr<UIButtonView> picBtn_;
  std::shared_ptr<UIButtonView> rePicBtn_;
  int actionType_ = 0;
  int subSelectType_ = 0;
  std::shared_ptr<HXHTTPRequest> request_;
  std::shared_ptr<HXHTTPRequest> picRequest_;
  std::shared_ptr<HXHTTPRequest> rePicRequest_;
  NSIndexPath indexPath_;
  std::weak_ptr<UIHomeViewCellDelegate> cellDelegate_;
  std::shared_ptr<NSObject> weiboitem_;
  long timeTampe_ = 0;
  bool needSave_ = false;
  bool picInLeft_ = false;
  bool needRetShow_ = false;
  bool isStartDownload_ = false;
  bool canDelete_ = false;
  int needSeminarBtn_ = 0;
  std::shared_ptr<UIView> goodBtnView_;
  CGSize thumbnailSize_{};
};
