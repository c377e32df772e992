// Drawing contexts: the platform's painter's model over a Cairo context.  A context has a
// graphics state (transformation, clip, colours, line style, alpha, blend mode, shadow,
// interpolation, antialiasing) saved and restored on a stack, a current path, and draws into a
// pixel surface: a bitmap context's pixels, a view's backing store, or nothing but a log (the
// recording context).
//
// Coordinates.  Device space is the surface's pixels with the origin at the bottom-left corner
// and y going up, as on the platform: a bitmap context starts with the identity transformation,
// so its user space is y-up too.  The platform's own contexts for views and images (UIKit's)
// start with a flipped transformation instead: origin at the top-left corner, y going down, in
// points of `scale` pixels (setBaseCTM).  drawImage draws an image upright in a y-up space, so
// in a flipped space it comes out upside down unless the caller flips, as on the platform.
// Shadow offsets and blurs are in the space the context started with (the base space): in a
// flipped context a positive height moves the shadow down, in a bitmap context up.
//
// Transparency layers group what is drawn until their end and composite it once, with the
// alpha, blend mode and shadow (and image-mask clip) in force at their beginning; inside the
// layer those are reset.  Shadows are Gaussian blurs (sigma = blur / 2 in device pixels) of the
// alpha of each drawing.
//
// Blend modes map to Cairo's operators; "plus darker" has none and draws as normal.  Cairo's
// unbounded operators (source-in, source-out, destination-in, destination-atop) also affect the
// clip area outside the drawn shape.
//
// Not thread-safe: a context belongs to the thread drawing into it.
#pragma once

#include <cairo.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "CoreGraphics/CGAffineTransform.h"
#include "CoreGraphics/CGColor.h"
#include "CoreGraphics/CGGeometry.h"
#include "CoreGraphics/CGGradient.h"
#include "CoreGraphics/CGImage.h"
#include "CoreGraphics/CGPath.h"

enum class CGLineCap { Butt = 0, Round = 1, Square = 2 };
enum class CGLineJoin { Miter = 0, Round = 1, Bevel = 2 };
enum class CGInterpolationQuality { Default = 0, None = 1, Low = 2, High = 3, Medium = 4 };

enum class CGBlendMode {
  Normal = 0,
  Multiply,
  Screen,
  Overlay,
  Darken,
  Lighten,
  ColorDodge,
  ColorBurn,
  SoftLight,
  HardLight,
  Difference,
  Exclusion,
  Hue,
  Saturation,
  Color,
  Luminosity,
  Clear,
  Copy,
  SourceIn,
  SourceOut,
  SourceAtop,
  DestinationOver,
  DestinationIn,
  DestinationOut,
  DestinationAtop,
  XOR,
  PlusDarker,
  PlusLighter
};

// One logged drawing call of a context (see CGContext::records).  The rectangle is the box of
// what the call draws, in the context's base space (points, top-left origin for the UIKit
// contexts), after the transformation in force.  Besides painting, the log holds the calls
// that Cairo has no counterpart for: "arcToPoint" (the corner as a point of no size, the
// point it turns toward and the radius), "strokedPath" (a path replaced by its stroked
// outline, with the line width), "clipToStrokedPath" (a clip to such an outline) and
// "blendMode" (a change of the mode: no rectangle, "mode=" and the mode's number).
struct CGDrawingRecord {
  std::string op;  // "fillRect", "fillPath", "strokePath", "drawImage", "drawText", ...
  CGRect rect;
  std::string detail;  // colours, line width, image name, text, font
  // "op (x y; w h) detail", numbers rounded to 3 decimals.
  std::string description() const;
};

class CGContext : public std::enable_shared_from_this<CGContext> {
 public:
  virtual ~CGContext();
  CGContext(const CGContext&) = delete;
  CGContext& operator=(const CGContext&) = delete;

  // A context that draws nothing visible and logs every drawing call with its geometry, for
  // tests that check what is drawn without comparing pixels.  Its base space is flipped
  // (top-left origin, y down) in points of `scale` pixels, as a view's context.
  static std::shared_ptr<CGContext> createRecording(CGSize size, CGFloat scale = 1);
  // The same flipped context without the log: it keeps its drawing as a recording to be
  // turned into pixels by makeImage only when something was painted (a layer's drawing pass).
  static std::shared_ptr<CGContext> createDeferred(CGSize size, CGFloat scale);
  // A flipped context drawing into pixels of its own (ARGB, or RGB when opaque), for one
  // drawing pass that ends with makeImage: a view's drawing, a window's frame.
  static std::shared_ptr<CGContext> createImageContext(CGSize size, CGFloat scale, bool opaque);
  // What a recording, deferred or image context drew, as an image of its pixel size (ARGB;
  // RGB for an opaque image context); nullptr for a context of no pixels.  An image context
  // hands over its pixels: it must not draw afterwards.
  CGImageRef makeImage() const;

  // ---- graphics state
  void saveGState();
  // Does nothing when nothing was saved.
  void restoreGState();

  // ---- transformation (user space -> device space)
  void translateCTM(CGFloat tx, CGFloat ty);
  void scaleCTM(CGFloat sx, CGFloat sy);
  void rotateCTM(CGFloat angle);
  // The new transformation is t followed by the current one.
  void concatCTM(const CGAffineTransform& t);
  CGAffineTransform getCTM() const;
  CGPoint convertPointToDeviceSpace(CGPoint p) const;
  CGPoint convertPointToUserSpace(CGPoint p) const;
  CGRect convertRectToDeviceSpace(CGRect r) const;
  CGRect convertRectToUserSpace(CGRect r) const;
  // For the platform's own contexts: the transformation the context starts with (and what a
  // shadow's offset and blur are measured in).  Resets the current transformation to it.
  void setBaseCTM(const CGAffineTransform& ctm);

  // ---- the current path (points are transformed when added; painting clears the path)
  void beginPath();
  void moveToPoint(CGFloat x, CGFloat y);
  void addLineToPoint(CGFloat x, CGFloat y);
  void addCurveToPoint(CGFloat cp1x, CGFloat cp1y, CGFloat cp2x, CGFloat cp2y, CGFloat x,
                       CGFloat y);
  void addQuadCurveToPoint(CGFloat cpx, CGFloat cpy, CGFloat x, CGFloat y);
  void closePath();
  void addRect(CGRect rect);
  void addRects(const std::vector<CGRect>& rects);
  void addLines(const std::vector<CGPoint>& points);
  void addEllipseInRect(CGRect rect);
  void addArc(CGFloat x, CGFloat y, CGFloat radius, CGFloat startAngle, CGFloat endAngle,
              bool clockwise);
  void addArcToPoint(CGFloat x1, CGFloat y1, CGFloat x2, CGFloat y2, CGFloat radius);
  void addPath(const CGPath& path);
  bool isPathEmpty() const;
  // CGContextCopyPath: the current path in user space (empty after painting, and for a
  // path replaced by its stroked outline, which is an area and no longer a path).
  CGPath copyPath() const;
  // In user space; CGPointZero for an empty path.
  CGPoint getPathCurrentPoint() const;
  // In user space; null for an empty path.
  CGRect getPathBoundingBox() const;
  bool pathContainsPoint(CGPoint point, CGPathDrawingMode mode) const;
  // The current path becomes the area its stroke would cover (with the line style in force),
  // so that clip() clips to the stroke and fillPath() fills it.
  void replacePathWithStrokedPath();

  // ---- painting
  void fillPath();
  void eoFillPath();
  void strokePath();
  void drawPath(CGPathDrawingMode mode);
  void fillRect(CGRect rect);
  void fillRects(const std::vector<CGRect>& rects);
  void strokeRect(CGRect rect);
  void strokeRectWithWidth(CGRect rect, CGFloat width);
  void fillEllipseInRect(CGRect rect);
  void strokeEllipseInRect(CGRect rect);
  // Pairs of points, one segment each.
  void strokeLineSegments(const std::vector<CGPoint>& points);
  // Makes the rectangle fully transparent, whatever the blend mode, alpha and shadow.
  void clearRect(CGRect rect);

  // ---- clipping (intersects the current clip; clears the path)
  void clip();
  void eoClip();
  void clipToRect(CGRect rect);
  void clipToRects(const std::vector<CGRect>& rects);
  // Clips to the image's mask alpha (an image mask's painting alpha, a grey image's samples, or
  // the image's alpha) stretched over the rectangle; nothing outside it is drawn.
  void clipToMask(CGRect rect, const CGImageRef& mask);
  // The box around the clip, in user space.
  CGRect getClipBoundingBox() const;

  // ---- colours
  void setFillColorWithColor(const CGColorRef& color);
  void setStrokeColorWithColor(const CGColorRef& color);
  void setRGBFillColor(CGFloat r, CGFloat g, CGFloat b, CGFloat a);
  void setRGBStrokeColor(CGFloat r, CGFloat g, CGFloat b, CGFloat a);
  void setGrayFillColor(CGFloat gray, CGFloat a);
  void setGrayStrokeColor(CGFloat gray, CGFloat a);
  CGColorRef fillColor() const;
  CGColorRef strokeColor() const;
  // Multiplies everything drawn; kept within 0 ... 1.
  void setAlpha(CGFloat alpha);
  CGFloat alpha() const;

  // ---- line style
  void setLineWidth(CGFloat width);
  void setLineCap(CGLineCap cap);
  void setLineJoin(CGLineJoin join);
  void setMiterLimit(CGFloat limit);
  // No lengths: solid lines.
  void setLineDash(CGFloat phase, const std::vector<CGFloat>& lengths);
  void setFlatness(CGFloat) {}

  // ---- the rest of the state
  void setBlendMode(CGBlendMode mode);
  void setShouldAntialias(bool antialias);
  void setAllowsAntialiasing(bool allows);
  void setInterpolationQuality(CGInterpolationQuality quality);
  CGInterpolationQuality interpolationQuality() const;
  // The shadow colour defaults to black with alpha 1/3; a nullptr colour turns shadows off.
  void setShadow(CGSize offset, CGFloat blur);
  void setShadowWithColor(CGSize offset, CGFloat blur, const CGColorRef& color);

  // ---- transparency layers
  void beginTransparencyLayer();
  // The layer is clipped to the rectangle (user space).
  void beginTransparencyLayerWithRect(CGRect rect);
  void endTransparencyLayer();

  // ---- gradients (clipped to the clip; the path is left alone)
  void drawLinearGradient(const CGGradientRef& gradient, CGPoint start, CGPoint end,
                          CGGradientDrawingOptions options);
  void drawRadialGradient(const CGGradientRef& gradient, CGPoint startCenter, CGFloat startRadius,
                          CGPoint endCenter, CGFloat endRadius, CGGradientDrawingOptions options);

  // ---- images
  // The image fills the rectangle, upright in a y-up space; an image mask paints the fill
  // colour through its samples.
  void drawImage(CGRect rect, const CGImageRef& image);
  // The image repeated from the rectangle's origin at the rectangle's size, over the clip.
  void drawTiledImage(CGRect rect, const CGImageRef& image);

  void flush();

  // ---- access for the drawing built on this one (text)
  // The Cairo context, with its matrix set to this context's user space (y down in the UIKit
  // contexts) and the fill colour (with the alpha) as source.  Pair every begin with an end:
  // in between the caller draws into the returned context; the end applies the shadow, blend
  // mode and image-mask clip in force to what was drawn.  `deviceBounds` (device pixels), when
  // known, limits the work of a shadow.
  cairo_t* beginCairoDrawing(std::optional<CGRect> userBounds = std::nullopt);
  void endCairoDrawing();
  // The Cairo context itself, for reading; draw through beginCairoDrawing.
  cairo_t* cairo() const { return cr_; }
  size_t pixelWidth() const { return pixelWidth_; }
  size_t pixelHeight() const { return pixelHeight_; }
  // How many drawing calls have painted since the context was made.
  unsigned long paintCount() const { return paintCount_; }

  // ---- the log of a recording context
  bool isRecording() const { return recording_; }
  const std::vector<CGDrawingRecord>& records() const { return records_; }
  // One description a line.
  std::string recordsText() const;
  void clearRecords() { records_.clear(); }
  // Adds a record for drawing done on this context's behalf (text): the rectangle is in user
  // space.  Does nothing unless recording.
  void record(std::string op, CGRect userRect, std::string detail);

 protected:
  // A context drawing into `target` (a new reference is taken) of the size in pixels, whose
  // transformation starts as the y-up identity.
  CGContext(cairo_surface_t* target, size_t pixelWidth, size_t pixelHeight);
  // Hooks around every painting call (bitmap contexts keep their caller's bytes in step).
  virtual void willPaint() {}
  virtual void didPaint() {}

 private:
  struct GState;
  struct Layer;
  struct StrokedArea;

  GState& state();
  const GState& state() const;
  // Opens a transparency layer on the state just saved: alpha, blend mode, shadow and mask
  // clip are reset inside it.
  void startLayer();
  // Runs `draw` (which paints with the blend mode's operator set and the source prepared by
  // it) under the shadow, mask clip and blend mode in force.
  void paint(const std::function<void()>& draw, std::optional<CGRect> deviceBounds);
  void compositeGroup(cairo_pattern_t* content, std::optional<CGRect> deviceBounds);
  void applyUserMatrix() const;
  void emitPath(const CGPath& devicePath) const;
  void setSource(bool fill, double extraAlpha = 1) const;
  void fillCurrentPath(bool evenOdd, const char* op, std::optional<CGRect> userRect);
  void strokeCurrentPath(const char* op, std::optional<CGRect> userRect);
  void applyStrokeStyle() const;
  std::optional<CGRect> deviceBoundsOfPath(bool stroke) const;
  CGRect baseRectFromDevice(CGRect deviceRect) const;
  CGRect deviceRectFromUser(CGRect userRect) const;
  void log(const char* op, CGRect deviceRect, const std::function<std::string()>& detail);
  std::string colorText(bool fill) const;
  void drawImageInternal(CGRect rect, const CGImageRef& image, bool tiled);
  void drawGradient(cairo_pattern_t* pattern, CGGradientDrawingOptions options, bool linear,
                    CGPoint p0, CGFloat r0, CGPoint p1, CGFloat r1, const char* op);

  cairo_surface_t* target_ = nullptr;
  cairo_t* cr_ = nullptr;
  size_t pixelWidth_ = 0, pixelHeight_ = 0;
  std::vector<GState> states_;
  std::vector<Layer> layers_;
  CGPath path_;  // in Cairo device space (top-left origin, y down)
  std::shared_ptr<StrokedArea> strokedPath_;
  CGAffineTransform base_;  // user -> Cairo device at the start
  unsigned long paintCount_ = 0;
  int externalDepth_ = 0;
  std::optional<CGRect> cairoBounds_;  // of the drawing between beginCairoDrawing and its end
  bool recording_ = false;
  std::vector<CGDrawingRecord> records_;

  friend class CGBitmapContext;
};

using CGContextRef = std::shared_ptr<CGContext>;
