// One token of a text with inline pictures, as UIImageLabel cuts it: a run of plain text, a
// run ended by a line break, or a whole picture tag from "<img" to ">".
//
// Set `text` before `type`: making a token a picture tag (type 4) reads its alt and src
// attributes (name, equals sign, value in double quotes; a value with no closing quote runs to
// the end) and its sub-type: 5 for a bundle picture, 6 for a remote one (a source containing
// "http") or a tag with no src attribute at all.
#pragma once

#include <string>

#include "Foundation/NSObject.h"

class TextItem : public NSObject {
  NS_CLASS(TextItem, NSObject)
 public:
  enum Type : int {
    kText = 0,
    kTextBeforeCR = 1,
    kTextBeforeLF = 2,
    kTextBeforeCRLF = 3,
    kImage = 4,
  };
  enum SubType : int { kBundleImage = 5, kRemoteImage = 6 };

  TextItem() = default;
  TextItem(std::string text, int type, int index);

  const std::string& text() const { return text_; }
  void setText(std::string text) { text_ = std::move(text); }
  int type() const { return type_; }
  // Type 4 parses `text` at once.
  void setType(int type);
  int index() const { return index_; }
  void setIndex(int index) { index_ = index; }
  const std::string& src() const { return src_; }
  void setSrc(std::string src) { src_ = std::move(src); }
  const std::string& alt() const { return alt_; }
  void setAlt(std::string alt) { alt_ = std::move(alt); }
  int subType() const { return subType_; }
  void setSubType(int subType) { subType_ = subType; }

 private:
  std::string text_;
  int type_ = kText;
  int index_ = 0;
  std::string src_;
  std::string alt_;
  int subType_ = 0;
};
