// What the rows of a list tell their screen.  Every method is optional: the defaults do
// nothing.  The feed item view asks respondsToSelector before the calls the Parts mark as
// optional ("showInfo", "showHead:", "goodAction:", "lineAction:", "OriginalAction:",
// "replyComment:", "openURL:", "longPressAction:", "DownloadOver:", "refreshDetail"), so a
// delegate that handles one overrides it and answers true for its selector; showPic,
// ret_comAction and loadInfoViewCtrl are sent without asking.  All on the main thread.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "Foundation/NSIndexPath.h"
#include "Foundation/Value.h"
#include "ui/feed/UIDrawLabel.h"

class NSObject;
class UIView;
struct User;

class UIHomeViewCellDelegate : public UIDrawLabelDelegate {
 public:
  virtual void showInfo() {}
  virtual void showHead(const std::shared_ptr<User>& /*user*/) {}
  // The picture's address, or nullopt when the item has none.
  virtual void showPic(const std::optional<std::string>& /*address*/) {}
  virtual void goodAction(const NSIndexPath& /*indexPath*/) {}
  virtual void lineAction(int /*code*/) {}
  // 1 comment, 0 repost.
  virtual void OriginalAction(int /*kind*/) {}
  // 0 comment, 1 repost.
  virtual void ret_comAction(int /*kind*/) {}
  virtual void replyComment(const std::shared_ptr<NSObject>& /*item*/) {}
  virtual void openURL(const std::string& /*text*/) {}
  virtual void longPressAction(const std::string& /*text*/) {}
  // A picture of the row finished downloading: the screen reloads the row.
  virtual void DownloadOver(const NSIndexPath& /*indexPath*/) {}
  virtual void refreshDetail() {}
  virtual void loadInfoViewCtrl() {}
  virtual std::shared_ptr<UIView> getSuperContentView() { return nullptr; }
  virtual bool respondsToSelector(std::string_view /*selector*/) const { return false; }
};

// The buttons of an article row (the read-later and read-now buttons), with the tapped button
// as sender.  Main thread.
class UIArticleItemDelegate {
 public:
  virtual ~UIArticleItemDelegate() = default;
  virtual void readLater(const Value& /*sender*/) {}
  virtual void readNow(const Value& /*sender*/) {}
};
