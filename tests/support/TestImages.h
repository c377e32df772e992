// Pictures for tests: small GIF files written with giflib's encoder (frames with their own
// placement, palette, transparency, disposal, delay and interlacing, and the looping
// extension), and JPEG data marked with an EXIF orientation.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct GIFFrameSpec {
  int left = 0, top = 0, width = 0, height = 0;
  std::vector<uint8_t> indices;   // width × height, top row first
  std::vector<uint32_t> palette;  // 0xRRGGBB; empty: the global palette
  int transparent = -1;
  int disposal = 0;  // 0/1 keep, 2 background, 3 previous
  int delayCs = 10;
  bool interlaced = false;
};

struct GIFSpec {
  int width = 0, height = 0;
  std::vector<uint32_t> palette;  // global; 0xRRGGBB, padded to a power of two
  int loopCount = -1;             // -1: no looping extension
  std::vector<GIFFrameSpec> frames;
};

// The file's bytes; empty when giflib refuses the spec.
std::string writeGIF(const GIFSpec& spec);

// Three 4 × 4 frames on a red/green/blue/white palette: frame 0 all red; frame 1 a green 2 × 2
// square at (1, 1) with a transparent corner pixel (1, 1), disposal 2; frame 2 a blue row at
// y 3, interlaced, with a local palette.  Delays 10, 20, 0 centiseconds; loops for ever.
GIFSpec threeFrameGIF();

// The JPEG data with an EXIF segment (big-endian TIFF, one entry) giving the orientation
// (1 ... 8) inserted after its start marker.
std::string withEXIFOrientation(const std::string& jpeg, int orientation);
