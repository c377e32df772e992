// The busy overlay: one app-wide waiting box (a dark translucent box with a white spinner and a
// short white text), a centred spinner over a cover that swallows touches, a free spinner and a
// large grey one, with the status bar's network-activity indicator switched with them.
//
// The views are made once by createBusyViews (the configuration store calls it at start-up)
// and live for the whole run; before that, a show only switches the network indicator on.
// There is one box, never a stack: showing again changes its text and place, and one hide
// (stopActivityIndicatorViewAnimation) hides every variant but the large spinner, whoever
// showed it, and does nothing visible when nothing shows.  The calls of
// "core/NSObject+UIViewBusy.h" (createBusyViews, startBusyAnimation,
// startBusyAnimationWithString, stopActivityIndicatorViewAnimation) reach these views through
// the feedback presenter; the variants below are the screens' own.  Main thread.
#pragma once

#include <memory>
#include <optional>
#include <string_view>

#include "CoreGraphics/CGGeometry.h"
#include "core/NSObject+UIViewBusy.h"

class UIActivityIndicatorView;
class UILabel;
class UIView;

namespace UIViewBusy {

inline constexpr std::string_view kRequestingText = "正在请求数据...";
inline constexpr std::string_view kDownloadingText = "正在下载中,请您耐心等待!";

// The overlay's views (all nullptr before they are made).
struct Views {
  // 320 x 480 at (0, 0), clear: under the centred spinner, it swallows touches.
  std::shared_ptr<UIView> cover;
  // Black at alpha 0.8, 130 x 35; holds the box spinner and the label.
  std::shared_ptr<UIView> box;
  // The centred and positioned spinners' (not in the box).
  std::shared_ptr<UIActivityIndicatorView> freeSpinner;
  std::shared_ptr<UIActivityIndicatorView> boxSpinner;
  // (40, 5, 90, 25) in the box: bold 15, white, left-aligned.
  std::shared_ptr<UILabel> label;
  // Made by the first create_UIActivityIndView.
  std::shared_ptr<UIActivityIndicatorView> largeSpinner;
};
const Views& views();

// What the feedback presenter calls for the core's calls.
void createViews();
void hide();

// The box's usual place: x 95, y = (screen height - 20 - 35) / 2, 130 x 35.
CGRect standardFrame();

}  // namespace UIViewBusy

// "正在下载中,请您耐心等待!" at the standard place.
void startActivityIndicatorAnimation();
// The box with the text at the frame, on the application window in front.
void startBusyAnimationWithString(std::string_view text, CGRect frame);
// The box at (95, offsetY, 130, 35); without text "正在请求数据...".
void startBusyAnimationWithString(std::optional<std::string_view> text, double offsetY);
// As the frame form, in the view instead of the window.
void startBusyAnimationWithString(std::string_view text, CGRect frame,
                                  const std::shared_ptr<UIView>& view);
// "正在加载..." at the standard place in the view.
void startBusyAnimationInView(const std::shared_ptr<UIView>& view);
// The box for about a second: the message strip's stopMessage is scheduled 1.0 s ahead, then
// the box shows (at the standard place, or at (95, the offset's whole part, 130, 35)).
void startAutoAnimationWithString(std::string_view text);
void startAutoAnimationWithString(std::string_view text, double offsetY);
// The free spinner, 30 x 30, centred under the status bar, over the cover view.
void startBusyAnimationCenter();
// The free spinner at (x, y, 25, 25) on the window, without the cover.
void startBusyAnimationByCenter(CGPoint point);
// The box spinner moves to the frame and starts (the box itself is not shown).
void startBusyAnimationWithFrame(CGRect frame);
// The large grey spinner at the point ((15, 980) for (0, 0)), started on the window; no hide
// stops it.
void create_UIActivityIndView(CGPoint point);
// The network-activity indicator alone.
void startActivityIndicatorAnimationNOView();
void stopActivityIndicatorViewAnimationNOView();
