#include "uilib/views/ULButton.h"

#include "Foundation/NSClass.h"
#include "UIKit/UIColor.h"
#include "uilib/network/ULURLCache.h"
#include "uilib/network/ULURLResponse.h"
#include "uilib/style/UIImage+ULCategory.h"
#include "uilib/style/ULBoxStyle.h"
#include "uilib/style/ULImageStyle.h"
#include "uilib/style/ULPartStyle.h"
#include "uilib/style/ULStyleSheet.h"
#include "uilib/style/ULTextStyle.h"

// ---- ULButtonContent

ULButtonContent::~ULButtonContent() {
  delegate_.reset();
  if (auto request = std::move(request_)) request->cancel();
}

void ULButtonContent::redrawButton() {
  if (auto button = button_.lock()) button->setNeedsDisplay();
}

void ULButtonContent::setImageURL(std::string url) {
  if (image_ && url == imageURL_) return;
  stopLoading();
  imageURL_ = std::move(url);
  if (!imageURL_.empty()) {
    reload();
  } else {
    image_.reset();
    redrawButton();
  }
}

void ULButtonContent::reload() {
  if (request_ || imageURL_.empty()) return;
  if (auto cached = ULURLCache::sharedCache()->imageForURL(imageURL_)) {
    image_ = cached;
    redrawButton();
    if (auto d = delegate()) d->imageViewDidLoadImage(nullptr, cached);
    return;
  }
  auto request = ULURLRequest::requestWithURL(imageURL_, self<ULButtonContent>());
  request->setResponse(std::make_shared<ULURLImageResponse>());
  request->send();
}

void ULButtonContent::stopLoading() {
  auto request = request_;
  if (!request) return;
  request->cancel();
  if (request_ == request) request_.reset();
}

void ULButtonContent::requestDidStartLoad(const std::shared_ptr<ULURLRequest>& request) {
  request_ = request;
  if (auto d = delegate()) d->imageViewDidStartLoad(nullptr);
}

void ULButtonContent::requestDidFinishLoad(const std::shared_ptr<ULURLRequest>& request) {
  auto response = std::dynamic_pointer_cast<ULURLImageResponse>(request->response());
  image_ = response ? response->image() : nullptr;
  redrawButton();
  if (request_ == request) request_.reset();
  if (auto d = delegate()) d->imageViewDidLoadImage(nullptr, image_);
}

void ULButtonContent::requestDidFailLoadWithError(const std::shared_ptr<ULURLRequest>& request,
                                                  const NSErrorPtr& error) {
  if (request_ == request) request_.reset();
  if (auto d = delegate()) d->imageViewDidFailLoadWithError(nullptr, error);
}

void ULButtonContent::requestDidCancelLoad(const std::shared_ptr<ULURLRequest>& request) {
  if (request_ == request) request_.reset();
}

// ---- ULButton

ULButton::ULButton(CGRect frame) : UIControl(frame) {
  setBackgroundColor(UIColor::clearColor());
  setContentMode(UIViewContentMode::Redraw);
}

std::shared_ptr<ULButton> ULButton::buttonWithStyle(std::string_view styleName) {
  auto button = std::make_shared<ULButton>();
  button->setStylesWithSelector(styleName);
  return button;
}

std::shared_ptr<ULButton> ULButton::buttonWithStyle(std::string_view styleName, std::string title) {
  auto button = std::make_shared<ULButton>();
  button->setTitle(std::move(title), UIControlStateNormal);
  button->setStylesWithSelector(styleName);
  return button;
}

std::string ULButton::keyForState(UIControlState state) {
  if (state & UIControlStateHighlighted) return "highlighted";
  if (state & UIControlStateSelected) return "selected";
  if (state & UIControlStateDisabled) return "disabled";
  return "normal";
}

std::shared_ptr<ULButtonContent> ULButton::contentForState(UIControlState state) const {
  auto& entry = content_[keyForState(state)];
  if (!entry) {
    auto self = std::const_pointer_cast<NSObject>(weak_from_this().lock());
    entry = std::make_shared<ULButtonContent>(std::dynamic_pointer_cast<ULButton>(self));
  }
  return entry;
}

std::shared_ptr<ULButtonContent> ULButton::contentForCurrentState() const {
  if (isSelected()) return contentForState(UIControlStateSelected);
  if (isHighlighted()) return contentForState(UIControlStateHighlighted);
  if (isEnabled()) return contentForState(UIControlStateNormal);
  return contentForState(UIControlStateDisabled);
}

std::string ULButton::titleForCurrentState() const {
  std::string title = contentForCurrentState()->title();
  return title.empty() ? contentForState(UIControlStateNormal)->title() : title;
}

std::shared_ptr<UIImage> ULButton::imageForCurrentState() const {
  auto image = contentForCurrentState()->image();
  return image ? image : contentForState(UIControlStateNormal)->image();
}

ULStylePtr ULButton::styleForCurrentState() const {
  auto style = contentForCurrentState()->style();
  return style ? style : contentForState(UIControlStateNormal)->style();
}

std::shared_ptr<UIFont> ULButton::fontForCurrentState() const {
  if (font_) return font_;
  if (auto style = styleForCurrentState()) {
    auto text = std::dynamic_pointer_cast<ULTextStyle>(
        style->firstStyleOfClass(ULTextStyle::classObject()));
    if (text && text->font()) return text->font();
  }
  return font();
}

std::shared_ptr<UIFont> ULButton::font() const {
  if (!font_)
    font_ = ULStyleSheet::globalStyleSheet()->performSelector("buttonFont").object<UIFont>();
  return font_;
}

void ULButton::setFont(std::shared_ptr<UIFont> font) {
  if (font == font_) return;
  font_ = std::move(font);
  setNeedsDisplay();
}

std::string ULButton::titleForState(UIControlState state) const {
  return contentForState(state)->title();
}

void ULButton::setTitle(std::string title, UIControlState state) {
  contentForState(state)->setTitle(std::move(title));
  setNeedsDisplay();
}

std::string ULButton::imageForState(UIControlState state) const {
  return contentForState(state)->imageURL();
}

void ULButton::setImage(std::string url, UIControlState state) {
  auto content = contentForState(state);
  content->setDelegate(imageDelegate_);
  content->setImageURL(std::move(url));
  setNeedsDisplay();
}

ULStylePtr ULButton::styleForState(UIControlState state) const {
  return contentForState(state)->style();
}

void ULButton::setStyle(ULStylePtr style, UIControlState state) {
  contentForState(state)->setStyle(std::move(style));
  setNeedsDisplay();
}

void ULButton::setStylesWithSelector(std::string_view styleName) {
  auto sheet = ULStyleSheet::globalStyleSheet();
  for (UIControlState state : {UIControlStateNormal, UIControlStateHighlighted,
                               UIControlStateSelected, UIControlStateDisabled})
    setStyle(sheet->styleWithSelector(styleName, state), state);
}

void ULButton::suspendLoadingImages(bool suspended) {
  auto content = contentForCurrentState();
  if (suspended) {
    content->stopLoading();
  } else if (!content->image()) {
    content->reload();
  }
}

std::shared_ptr<ULStyleContext> ULButton::makeContext() const {
  auto context = std::make_shared<ULStyleContext>();
  auto self = std::const_pointer_cast<NSObject>(weak_from_this().lock());
  context->setDelegate(std::dynamic_pointer_cast<ULButton>(self));
  return context;
}

namespace {

// What a button needs of its style's "image" part: the part, its margin and its size.
struct ImagePart {
  std::shared_ptr<ULPartStyle> part;
  UIEdgeInsets margin{};
  CGSize size = CGSizeZero;
};

ImagePart imagePartOf(ULStyle& style, ULStyleContext& context) {
  ImagePart out;
  out.part = style.styleForPart("image");
  if (!out.part) return out;
  if (const auto& inner = out.part->style()) {
    if (auto box = std::dynamic_pointer_cast<ULBoxStyle>(
            inner->firstStyleOfClass(ULBoxStyle::classObject())))
      out.margin = box->margin();
    out.size = inner->addToSize(CGSizeZero, context);
  }
  return out;
}

// The image part's rectangle from the content frame the chain left.
CGRect imageRect(const ImagePart& image, CGRect contentFrame, CGRect bounds, bool vertical) {
  CGRect r = contentFrame;
  if (vertical) {
    r = bounds;
  } else {
    r.size = image.size;
  }
  r.origin.x += image.margin.left;
  r.origin.y += image.margin.top;
  return r;
}

}  // namespace

void ULButton::drawRect(CGRect) {
  auto style = styleForCurrentState();
  if (!style) return;
  CGRect content = bounds();
  auto context = makeContext();
  ImagePart image = imagePartOf(*style, *context);
  if (image.part) {
    if (isVertical_) {
      CGFloat dy = image.size.height + image.margin.top + image.margin.bottom;
      content.origin.y += dy;
      content.size.height -= dy;
    } else {
      CGFloat dx = image.size.width + image.margin.right;
      content.origin.x += dx;
      content.size.width -= dx;
    }
  }
  context->setFrame(bounds());
  context->setContentFrame(content);
  context->setFont(fontForCurrentState());
  style->draw(*context);
  if (image.part) {
    CGRect r = imageRect(image, context->contentFrame(), bounds(), isVertical_);
    context->setFrame(r);
    context->setContentFrame(r);
    context->setShape(nullptr);
    image.part->drawPart(*context);
  }
}

CGRect ULButton::rectForImage() const {
  auto style = styleForCurrentState();
  if (!style) return CGRectZero;
  auto context = makeContext();
  ImagePart image = imagePartOf(*style, *context);
  auto picture = imageForCurrentState();
  if (!image.part || !picture) return CGRectZero;
  CGRect r = imageRect(image, context->contentFrame(), bounds(), isVertical_);
  UIViewContentMode mode = UIViewContentMode::ScaleToFill;
  if (const auto& inner = image.part->style())
    if (auto imageStyle = std::dynamic_pointer_cast<ULImageStyle>(
            inner->firstStyleOfClass(ULImageStyle::classObject())))
      mode = imageStyle->contentMode();
  return convertRect(*picture, r, mode);
}

CGSize ULButton::sizeThatFits(CGSize size) const {
  auto style = styleForCurrentState();
  if (!style) return size;
  auto context = makeContext();
  context->setFont(fontForCurrentState());
  return style->addToSize(CGSizeZero, *context);
}

std::optional<std::string> ULButton::textForLayerWithStyle(ULStyle&) {
  std::string title = titleForCurrentState();
  if (title.empty()) return std::nullopt;
  return title;
}

std::shared_ptr<UIImage> ULButton::imageForLayerWithStyle(ULStyle&) {
  return imageForCurrentState();
}

void ULButton::stateDidChange() {
  UIControl::stateDidChange();
  setNeedsDisplay();
}

void ULButton::describeAttributes(std::string& line) const {
  UIControl::describeAttributes(line);
  std::string title = titleForCurrentState();
  if (!title.empty()) line += " title=" + quoted(title);
  if (!styleForCurrentState()) line += " unstyled";
}

NS_CLASS_IMPLEMENTATION(ULButtonContent) {}
NS_CLASS_IMPLEMENTATION(ULButton) {
  c.classMethod("buttonWithStyle:title:", [](std::string style, std::string title) {
    return ULButton::buttonWithStyle(style, std::move(title));
  });
  c.classMethod("buttonWithStyle:",
                [](std::string style) { return ULButton::buttonWithStyle(style); });
  c.method("setStylesWithSelector:", &ULButton::setStylesWithSelector);
}
