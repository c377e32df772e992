// Pictures for the demo data, drawn on request and kept: status photos (JPEG, in the three sizes
// the app derives from the thumbnail address), avatars and channel images (PNG).  The same name
// always gives the same bytes within a process, so the MD5 sums announced in channel lists match
// the files served.
#pragma once

#include <map>
#include <mutex>
#include <string>
#include <string_view>

namespace zept::server {

class PictureFactory {
 public:
  // A photo of the given size, drawn from the name.
  const std::string& photoJPEG(std::string_view name, int width, int height);
  // An animated photo (GIF, a few frames of 0.2 s, looping) of the given size, drawn from the
  // name.
  const std::string& photoGIF(std::string_view name, int width, int height);
  // A square avatar showing the first character of the label.
  const std::string& avatarPNG(std::string_view name, std::string_view label);
  // A channel image: kind is "icon", "background", "navigation", "tuijian" or "tuijian_theme1";
  // scale 2 gives the "@2x" size.  Each edition of an image is drawn in other colours.
  const std::string& channelPNG(std::string_view kind, int channelId, std::string_view label,
                                int scale, int edition = 0);
  // A small advert banner.
  const std::string& bannerJPEG(std::string_view name, int width, int height);

  static bool isChannelImageKind(std::string_view kind);

 private:
  std::mutex mutex_;
  std::map<std::string, std::string> cache_;
};

}  // namespace zept::server
