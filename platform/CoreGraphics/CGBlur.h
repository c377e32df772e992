// A Gaussian blur of an 8-bit alpha plane (three box blurs), used for shadows.  Internal.
#pragma once

#include <cstddef>
#include <cstdint>

// Blurs the plane in place; sigma in pixels (nothing happens below 0.2).
void CGBlurAlphaPlane(uint8_t* data, int width, int height, int stride, double sigma);
