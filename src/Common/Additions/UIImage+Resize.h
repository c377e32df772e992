// Loading the bundle's pictures by name (the image category "Resize").
#pragma once

#include <memory>
#include <string_view>

class UIImage;

// imageFileNamed: - the bundle picture of the name, read from its file on every call (no
// cache).  A name ending in ".png" or ".jpg" (exactly so) is the file name; otherwise
// "<name>@2x.png" on a retina screen (scale 2 or more, system 4 or later) when that file
// exists, else "<name>.png" when it exists, else "<name>@2x.png" on any screen.  nullptr when
// there is no such file.
std::shared_ptr<UIImage> imageFileNamed(std::string_view name);
