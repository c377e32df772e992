#include "uilib/network/ULURLRequest.h"

#include <algorithm>

#include "Foundation/NSString.h"
#include "UIKit/UIImage.h"
#include "uilib/core/NSData+ULCategory.h"
#include "uilib/core/NSString+ULAdditions.h"
#include "uilib/network/ULURLRequestQueue.h"

namespace {

bool isPostOrPut(const std::string& method) {
  return method == "POST" || method == "PUT";
}

// Text in the multipart form's charset; characters it cannot hold become "?".
std::string inCharset(std::string_view text, NSStringEncoding encoding) {
  return dataUsingEncoding(text, encoding, true).value_or(std::string(text));
}

}  // namespace

std::shared_ptr<ULURLRequest> ULURLRequest::requestWithURL(
    std::string url, const std::shared_ptr<ULURLRequestDelegate>& delegate) {
  auto request = std::make_shared<ULURLRequest>();
  request->urlPath_ = std::move(url);
  if (delegate) request->delegates_.addObject(delegate);
  return request;
}

const std::shared_ptr<NSMutableDictionary>& ULURLRequest::parameters() {
  if (!parameters_) parameters_ = std::make_shared<NSMutableDictionary>();
  return parameters_;
}

const std::shared_ptr<NSMutableDictionary>& ULURLRequest::headers() {
  if (!headers_) headers_ = std::make_shared<NSMutableDictionary>();
  return headers_;
}

void ULURLRequest::setValueForHTTPHeaderField(std::string_view value, std::string_view field) {
  headers()->setObject(Value(value), field);
}

void ULURLRequest::addFile(std::string data, std::string mimeType, std::string fileName) {
  files_.push_back({std::move(data), std::move(mimeType), std::move(fileName)});
}

std::vector<std::pair<std::string, Value>> ULURLRequest::sortedParameters() const {
  std::vector<std::pair<std::string, Value>> sorted;
  if (parameters_)
    parameters_->enumerate(
        [&](const std::string& name, const Value& value) { sorted.emplace_back(name, value); });
  std::stable_sort(sorted.begin(), sorted.end(),
                   [](const auto& a, const auto& b) { return a.first < b.first; });
  return sorted;
}

std::string ULURLRequest::contentType() const {
  if (!contentType_.empty()) return contentType_;
  if (!isPostOrPut(httpMethod_)) return {};
  if (multiPartForm_) return "multipart/form-data; boundary=" + std::string(kULURLRequestBoundary);
  return "application/x-www-form-urlencoded";
}

std::optional<std::string> ULURLRequest::httpBody() {
  if (httpBody_) return httpBody_;
  if (!isPostOrPut(uppercaseString(httpMethod_))) return std::nullopt;
  return multiPartForm_ ? generatePostBody() : generateNonMultipartPostBody();
}

const std::string& ULURLRequest::cacheKey() {
  if (cacheKey_.empty()) cacheKey_ = generateCacheKey();
  return cacheKey_;
}

std::string ULURLRequest::generateCacheKey() {
  if (!isPostOrPut(httpMethod_)) return md5Hash(urlPath_);
  std::string joined = urlPath_;
  for (auto& [name, value] : sortedParameters()) {
    joined.append(name).append("=");
    if (value.isString()) joined.append(value.string());
  }
  return md5Hash(joined);
}

std::string ULURLRequest::generateNonMultipartPostBody() {
  std::string body;
  for (auto& [name, value] : sortedParameters()) {
    if (!value.isString()) continue;
    if (!body.empty()) body += "&";
    body += name + "=" + urlEncoded(stringByReplacingOccurrencesOfString(value.string(), " ", "+"));
  }
  return body;
}

std::string ULURLRequest::generatePostBody() {
  const std::string opening = "--" + std::string(kULURLRequestBoundary) + "\r\n";
  std::string body;
  auto parameters = sortedParameters();
  for (auto& [name, value] : parameters) {
    if (value.isData() || value.object<UIImage>()) continue;
    body += opening;
    body += inCharset("Content-Disposition: form-data; name=\"" + name + "\"\r\n\r\n",
                      charsetForMultipart_);
    body += inCharset(value.description(), charsetForMultipart_);
    body += "\r\n";
  }
  std::string lastPicture;
  for (auto& [name, value] : parameters) {
    if (auto image = value.object<UIImage>()) {
      double quality = ULURLRequestQueue::mainQueue()->imageCompressionQuality();
      appendImageData(UIImageJPEGRepresentation(image, quality).value_or(std::string()), name,
                      body);
    } else if (value.isData()) {
      appendImageData(value.bytes(), name, body);
    } else {
      continue;
    }
    lastPicture = name;
  }
  for (auto& file : files_) {
    body += opening;
    body += inCharset("Content-Disposition: form-data; name=\"" + file.fileName +
                          "\"; filename=\"" + file.fileName + "\"\r\n",
                      charsetForMultipart_);
    body += inCharset("Content-Length: " + std::to_string(file.data.size()) + "\r\n",
                      charsetForMultipart_);
    body += inCharset("Content-Type: " + file.mimeType + "\r\n\r\n", charsetForMultipart_);
    body += file.data;
    body += "\r\n";
  }
  body += "--" + std::string(kULURLRequestBoundary) + "--\r\n";
  if (!lastPicture.empty()) parameters_->removeObjectForKey(lastPicture);
  return body;
}

void ULURLRequest::appendImageData(std::string_view data, std::string_view name,
                                   std::string& body) const {
  body += "--" + std::string(kULURLRequestBoundary) + "\r\n";
  body += inCharset("Content-Disposition: form-data; name=\"" + std::string(name) +
                        "\"; filename=\"image.jpg\"\r\n",
                    charsetForMultipart_);
  body +=
      inCharset("Content-Length: " + std::to_string(data.size()) + "\r\n", charsetForMultipart_);
  body += inCharset("Content-Type: image/jpeg\r\n\r\n", charsetForMultipart_);
  body.append(data);
  body += "\r\n";
}

bool ULURLRequest::send() {
  return ULURLRequestQueue::mainQueue()->sendRequest(self<ULURLRequest>());
}

bool ULURLRequest::sendSynchronously() {
  return ULURLRequestQueue::mainQueue()->sendSynchronousRequest(self<ULURLRequest>());
}

void ULURLRequest::cancel() {
  ULURLRequestQueue::mainQueue()->cancelRequest(self<ULURLRequest>());
}

std::shared_ptr<NSMutableURLRequest> ULURLRequest::createNSURLRequest() {
  return ULURLRequestQueue::mainQueue()->createNSURLRequest(self<ULURLRequest>());
}

std::string ULURLRequest::description() const {
  return "<" + NSObject::description() + " " + urlPath_ + ">";
}
