// The device's saved-photos album: a folder under the app home ("<home>/Media/DCIM") where each
// saved picture becomes the next "IMG_<n>.PNG".  Main thread or any thread (a lock orders the
// numbering).
#pragma once

#include <memory>
#include <string>
#include <vector>

class UIImage;

// UIImageWriteToSavedPhotosAlbum - writes the picture as PNG into the album; true when the
// file was written whole.  No picture, a picture that does not encode, or an album that cannot
// be written gives false and leaves the album as it was.
bool UIImageWriteToSavedPhotosAlbum(const std::shared_ptr<UIImage>& image);

namespace UISavedPhotosAlbum {
// The album folder.
std::string path();
// The saved files, oldest first.
std::vector<std::string> files();
// For tests: while off, every write fails as on a device whose album is not available.
void setWritable(bool writable);
}  // namespace UISavedPhotosAlbum
