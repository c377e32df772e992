// The orientations of the device and of the interface, and the masks a controller answers with.
#pragma once

enum class UIDeviceOrientation {
  Unknown = 0,
  Portrait = 1,
  PortraitUpsideDown = 2,
  LandscapeLeft = 3,
  LandscapeRight = 4,
  FaceUp = 5,
  FaceDown = 6
};

// The interface's landscape orientations are named after the home button's side, so they are
// the device's swapped.
enum class UIInterfaceOrientation {
  Portrait = 1,
  PortraitUpsideDown = 2,
  LandscapeLeft = 4,
  LandscapeRight = 3
};

using UIInterfaceOrientationMask = unsigned;
inline constexpr UIInterfaceOrientationMask UIInterfaceOrientationMaskPortrait = 1 << 1;
inline constexpr UIInterfaceOrientationMask UIInterfaceOrientationMaskLandscapeLeft = 1 << 4;
inline constexpr UIInterfaceOrientationMask UIInterfaceOrientationMaskLandscapeRight = 1 << 3;
inline constexpr UIInterfaceOrientationMask UIInterfaceOrientationMaskPortraitUpsideDown = 1 << 2;
// 26: every orientation but upside down.
inline constexpr UIInterfaceOrientationMask UIInterfaceOrientationMaskAllButUpsideDown =
    UIInterfaceOrientationMaskPortrait | UIInterfaceOrientationMaskLandscapeLeft |
    UIInterfaceOrientationMaskLandscapeRight;

inline constexpr UIInterfaceOrientationMask maskOf(UIInterfaceOrientation o) {
  return 1u << unsigned(o);
}
