// What the channel catalogue needs of the content-server client to fetch channel images.  The
// client stands above the catalogue: it installs itself at start-up
// (ChannelItem::setImageDownloader), and until it does no image is fetched.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "Foundation/Value.h"

// A finished channel-image download, as the catalogue reads it back.
struct ChannelImageDownload {
  // The file the image was written to.
  std::string downloadDestinationPath;
  // The image kind (ChannelImageKind).
  int tag = 0;
  // The channel number.
  int mtag = 0;
  // The data given with the download: a one-element array holding the expected MD5.
  Value localInfo;
};

class ChannelImageDownloader {
 public:
  virtual ~ChannelImageDownloader() = default;

  // Downloads the source to the destination.  The finished download is handed to
  // ChannelItem::imageAllFinish on a worker thread, one completion at a time, with the channel
  // number as mtag, the kind as tag and the data as localInfo.  Callable from any thread; the
  // downloads start in the order asked for.
  virtual void downloadChannelImage(int channel, const std::string& source,
                                    const std::string& destination, int kind,
                                    const Value& localData) = 0;
  // Downloads each (source, destination) without reporting them one by one; once the download
  // queue has finished, ChannelItem::imageFinish runs on the main thread.  Main thread.
  virtual void downloadNewChannelImages(
      const std::vector<std::pair<std::string, std::string>>& downloads) = 0;
};
