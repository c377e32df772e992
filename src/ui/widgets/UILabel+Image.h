// Pictures of labels (the label category "Image").  Main thread (they draw the label's layer).
#pragma once

#include <memory>

class UIImage;
class UILabel;

// createImage - the label's layer drawn into a new transparent bitmap of its bounds size at one
// pixel a point.
std::shared_ptr<UIImage> createImage(UILabel& label);

// getAlphaImage - for a label reading a whole number from 1 to 3, the bundle picture
// "pageImgNum<n>" when the bundle has it; otherwise createImage with only the pixels whose red
// byte is 255 kept (white stays, a dark numeral becomes a transparent cut-out).
std::shared_ptr<UIImage> getAlphaImage(UILabel& label);
