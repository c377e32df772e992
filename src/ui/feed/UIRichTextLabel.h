// What the two rich-text labels share (UIZMLabel for status texts, UIYMLabel for comment and
// feedback rows): a label that draws its own text line by line, with emoticons written
// "[name]" drawn as small animated pictures and, with needHyperlink, web links ("http://...")
// and @names cut out and shown as tappable MyLabels over the drawing.  A link longer than a
// line is an up, a middle and a down label that share one index into mutiLineLabel; a tap on
// any of them reports the whole link to the delegate (openURL), a long press too
// (longPressAction).
//
// Every drawing rebuilds the link labels and the emoticon views from the text; getHttpStr
// lays the text out first when it changed, or the width, since the last drawing.  Cutting the
// text keeps every character: a "[" that starts no emoticon stays in the text.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "UIKit/UILabel.h"
#include "core/NSGlobe.h"
#include "ui/feed/UIHomeViewCell.h"
#include "ui/widgets/LinePen.h"
#include "ui/widgets/MyLabel.h"

class UIRichTextLabel : public UILabel, public MyLabelDelegate, public UILinkTextSource {
  NS_CLASS(UIRichTextLabel, UILabel)
 public:
  // The text cut into pieces, and the positions of the pieces that are links or names.
  struct Pieces {
    std::vector<std::string> pieces;
    std::vector<size_t> links;
  };
  using LinkView = std::variant<std::shared_ptr<MyLabel>, std::shared_ptr<NSLabelsItem>>;

  explicit UIRichTextLabel(CGRect frame);

  // The font, and imgWH from its leading.
  void setTextFont(std::shared_ptr<UIFont> font);
  // The text with every line feed and carriage return turned into a blank.
  void setModifyText(std::string_view text);
  bool needHyperlink() const { return needHyperlink_; }
  void setNeedHyperlink(bool b) { needHyperlink_ = b; }
  std::weak_ptr<MyLabelDelegate> delegate() const { return delegate_; }
  void setDelegate(std::weak_ptr<MyLabelDelegate> d) { delegate_ = std::move(d); }
  long imgWH() const { return imgWH_; }
  const std::vector<std::shared_ptr<NSLabelsItem>>& mutiLineLabel() const { return mutiLineLabel_; }
  const std::vector<LinkView>& linkArray() const { return linkArray_; }

  Pieces tokenise(std::string_view text) const;
  long getLenByStr(std::string_view text, CGFloat width) const;
  // The text of the n-th web link (from 1) as laid out for the current text and width.
  std::optional<std::string> getHttpStr(int n) override;

  void drawRect(CGRect rect) override;

  void beginLabel(MyLabel& label) override;
  void endLabel(MyLabel& label) override;
  void clickLabel(MyLabel& label) override;
  void longPress(MyLabel& label) override;
  bool respondsToSelector(std::string_view selector) const override;

 protected:
  // The line height L of the layout.
  virtual CGFloat lineHeight() const = 0;
  // Whether links become labels (else drawLinkImage is called and the link takes no room).
  virtual bool drawsLinkLabels() const { return true; }
  virtual void drawLinkImage() {}
  static CGFloat readingLineHeight() { return NSGlobe::getEngine()->getLineHeight(); }

 private:
  void layoutPieces(bool paint);
  LinePen pen() const;
  void cutLinks(std::string_view text, Pieces& out) const;
  bool drawEmoticon(const std::string& piece);
  void drawLinkString(const std::string& piece);
  std::shared_ptr<MyLabel> linkLabel(CGRect frame, long index, std::string text);
  std::shared_ptr<NSLabelsItem> itemOf(const MyLabel& label) const;
  void colourOthers(const MyLabel& label, bool pressed);
  std::string linkTextOf(const MyLabel& label) const;

  std::vector<std::shared_ptr<NSLabelsItem>> mutiLineLabel_;
  std::vector<LinkView> linkArray_;
  long imgWH_ = 0;
  bool needHyperlink_ = false;
  std::weak_ptr<MyLabelDelegate> delegate_;
  LinePen pen_;
  // What the last layout was made for.
  std::optional<std::pair<std::string, CGFloat>> laidOut_;
};
