// Response processors: what turns the bytes a request received into its result.  The data is
// the body's bytes (a data Value), or the image itself (an object Value holding a UIImage) when
// the memory image cache answered.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "Foundation/NSError.h"
#include "Foundation/NSHTTPURLResponse.h"
#include "Foundation/NSObject.h"
#include "Foundation/Value.h"

class ULURLRequest;
class UIImage;

class ULURLResponse {
 public:
  virtual ~ULURLResponse() = default;
  // The response is none for an answer from a cache or a data URL.  An error fails the request.
  virtual NSErrorPtr requestProcessResponse(const std::shared_ptr<ULURLRequest>& request,
                                            const std::shared_ptr<NSHTTPURLResponse>& response,
                                            const Value& data) = 0;
  // For a status outside 200 to 299 and 304: the error to report, or none for the queue's own
  // (code = the status, the body under "responsedata").
  virtual NSErrorPtr requestProcessErrorResponse(const std::shared_ptr<ULURLRequest>& request,
                                                 const std::shared_ptr<NSHTTPURLResponse>& response,
                                                 const Value& data) {
    return nullptr;
  }
};

// Keeps the bytes.
class ULURLDataResponse : public NSObject, public ULURLResponse {
 public:
  NSErrorPtr requestProcessResponse(const std::shared_ptr<ULURLRequest>& request,
                                    const std::shared_ptr<NSHTTPURLResponse>& response,
                                    const Value& data) override;
  // None until bytes came.
  const std::optional<std::string>& data() const { return data_; }

 private:
  std::optional<std::string> data_;
};

// Decodes a picture and holds it in the memory image cache under the request's URL (when it was
// not answered from a cache).  Bytes that do not decode fail with "ulkit.network" / 100.
class ULURLImageResponse : public NSObject, public ULURLResponse {
 public:
  NSErrorPtr requestProcessResponse(const std::shared_ptr<ULURLRequest>& request,
                                    const std::shared_ptr<NSHTTPURLResponse>& response,
                                    const Value& data) override;
  const std::shared_ptr<UIImage>& image() const { return image_; }

 private:
  std::shared_ptr<UIImage> image_;
};

inline constexpr std::string_view kULNetworkErrorDomain = "ulkit.network";
inline constexpr long kULNetworkErrorCodeBadImage = 100;
