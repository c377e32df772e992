// The property keys of image sources and destinations, with the platform's spellings.
#pragma once

#include <string_view>

inline constexpr std::string_view kCGImagePropertyPixelWidth = "PixelWidth";
inline constexpr std::string_view kCGImagePropertyPixelHeight = "PixelHeight";
inline constexpr std::string_view kCGImagePropertyHasAlpha = "HasAlpha";
inline constexpr std::string_view kCGImagePropertyOrientation = "Orientation";
inline constexpr std::string_view kCGImagePropertyFileSize = "FileSize";
inline constexpr std::string_view kCGImagePropertyGIFDictionary = "{GIF}";
inline constexpr std::string_view kCGImagePropertyGIFLoopCount = "LoopCount";
inline constexpr std::string_view kCGImagePropertyGIFDelayTime = "DelayTime";
inline constexpr std::string_view kCGImagePropertyGIFUnclampedDelayTime = "UnclampedDelayTime";
inline constexpr std::string_view kCGImageDestinationLossyCompressionQuality =
    "kCGImageDestinationLossyCompressionQuality";

// Uniform type identifiers of the formats read and written.
inline constexpr std::string_view kUTTypePNG = "public.png";
inline constexpr std::string_view kUTTypeJPEG = "public.jpeg";
inline constexpr std::string_view kUTTypeGIF = "com.compuserve.gif";
