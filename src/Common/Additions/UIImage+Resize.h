// Loading the bundle's pictures by name (the image category "Resize").  Main thread.
#pragma once

#include <memory>
#include <string_view>

class UIImage;

// imageFileNamed: - the bundle picture of the name, read from its file on every call (no
// cache).  A name ending in ".png" or ".jpg" (exactly so) is the file name; otherwise
// "<name>@2x.png" on a retina screen (scale 2 or more, system 4 or later) when that file
// exists, else "<name>.png" when it exists, else "<name>@2x.png" on any screen.  A "@2x" file
// has scale 2 on a screen of scale 2 or more and scale 1 otherwise (so a lone "@2x" picture is
// twice as large in points on a plain screen).  The image is named by the name asked for (as
// view dumps show it).  nullptr when there is no such file.
std::shared_ptr<UIImage> imageFileNamed(std::string_view name);

// retina4ImageNamed: - on a screen 568 points high, "<name>-568h@2x.png" when the bundle has
// it; otherwise, and on other screens, imageFileNamed with the name.
std::shared_ptr<UIImage> retina4ImageNamed(std::string_view name);
