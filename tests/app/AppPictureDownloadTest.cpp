// Downloaded pictures are recompressed by the app's rule once start-up has installed it.
#include <gtest/gtest.h>

#include <filesystem>
#include <random>

#include "Common/Additions/UIImage+RawData.h"
#include "Foundation/NSFileManager.h"
#include "Foundation/NSPathUtilities.h"
#include "Foundation/NSURL.h"
#include "UIKit/UIImage.h"
#include "app/AppDelegate.h"
#include "net/http/HXImageDownload.h"
#include "support/MainLoop.h"
#include "support/TestHTTPServer.h"

using testsupport::TestHTTPReply;
using testsupport::TestHTTPServer;

namespace {

// An opaque picture of noise, which PNG cannot shrink: 800 x 100 pixels give over 300 KB.
std::string noisePNG(size_t w, size_t h) {
  std::mt19937 random(7);
  std::string bytes;
  for (size_t i = 0; i < w * h; ++i) {
    bytes += char(255);
    for (int c = 0; c < 3; ++c) bytes += char(random() & 0xFF);
  }
  return *UIImagePNGRepresentation(imageWithRawImageData(bytes, w, h));
}

TEST(AppPictureDownload, ALargeDownloadedPictureIsStoredAsAJPEGSixHundredFortyWide) {
  MainLoop::install();
  auto app = std::make_shared<AppDelegate>();
  std::string png = noisePNG(800, 100);
  ASSERT_GT(png.size(), 201u * 1024);

  TestHTTPServer server;
  TestHTTPReply reply;
  reply.contentType = "image/png";
  reply.body = png;
  server.on("/big.png", reply);
  std::string path = NSTemporaryDirectory() + "/big.png";
  auto download = HXImageDownload::requestWithURL(NSURL::URLWithString(server.url("/big.png")));
  download->setDownloadDestinationPath(path);
  download->startSynchronous();

  auto stored = dataWithContentsOfFile(path);
  ASSERT_TRUE(stored);
  // A JPEG now (FF D8), 640 points wide with the proportions kept.
  ASSERT_GE(stored->size(), 2u);
  EXPECT_EQ(uint8_t((*stored)[0]), 0xFF);
  EXPECT_EQ(uint8_t((*stored)[1]), 0xD8);
  auto picture = UIImage::imageWithData(*stored);
  ASSERT_NE(picture, nullptr);
  EXPECT_EQ(picture->size().width, 640);
  EXPECT_EQ(picture->size().height, 80);
  EXPECT_LT(stored->size(), 200u * 1024);
}

}  // namespace
