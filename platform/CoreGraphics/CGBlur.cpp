#include "CoreGraphics/CGBlur.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

// Box widths (odd) whose three passes approximate a Gaussian of the sigma.
void boxesForGauss(double sigma, int sizes[3]) {
  double ideal = std::sqrt(12 * sigma * sigma / 3 + 1);
  int wl = int(std::floor(ideal));
  if (wl % 2 == 0) --wl;
  int wu = wl + 2;
  double mIdeal = (12 * sigma * sigma - 3 * wl * wl - 4 * 3 * wl - 3 * 3) / (-4 * wl - 4);
  int m = int(std::lround(mIdeal));
  for (int i = 0; i < 3; ++i) sizes[i] = i < m ? wl : wu;
}

// One box pass along a line of n samples `step` apart; r = radius.
void boxLine(const uint8_t* src, uint8_t* dst, int n, int step, int r) {
  if (r <= 0) {
    for (int i = 0; i < n; ++i) dst[i * step] = src[i * step];
    return;
  }
  int width = 2 * r + 1;
  // Samples outside the line count as 0 (transparent).
  int sum = 0;
  for (int i = 0; i <= r && i < n; ++i) sum += src[i * step];
  for (int i = 0; i < n; ++i) {
    dst[i * step] = uint8_t((sum + width / 2) / width);
    int add = i + r + 1, sub = i - r;
    if (add < n) sum += src[add * step];
    if (sub >= 0) sum -= src[sub * step];
  }
}

}  // namespace

void CGBlurAlphaPlane(uint8_t* data, int width, int height, int stride, double sigma) {
  if (sigma < 0.2 || width <= 0 || height <= 0) return;
  int sizes[3];
  boxesForGauss(sigma, sizes);
  std::vector<uint8_t> line(size_t(std::max(width, height)));
  std::vector<uint8_t> out(line.size());
  for (int pass = 0; pass < 3; ++pass) {
    int r = (sizes[pass] - 1) / 2;
    for (int y = 0; y < height; ++y) {
      uint8_t* row = data + size_t(y) * size_t(stride);
      std::copy(row, row + width, line.begin());
      boxLine(line.data(), row, width, 1, r);
    }
    for (int x = 0; x < width; ++x) {
      for (int y = 0; y < height; ++y)
        line[size_t(y)] = data[size_t(y) * size_t(stride) + size_t(x)];
      boxLine(line.data(), out.data(), height, 1, r);
      for (int y = 0; y < height; ++y)
        data[size_t(y) * size_t(stride) + size_t(x)] = out[size_t(y)];
    }
  }
}
