#include "net/http/HXFormDataRequest.h"

#include "Foundation/NSFileManager.h"
#include "Foundation/NSPathUtilities.h"
#include "Foundation/NSURL.h"
#include "Foundation/NSUUID.h"

namespace {
constexpr std::string_view kBoundaryPrefix = "0xKhTmLbOuNdArY-";
constexpr std::string_view kDefaultContentType = "application/octet-stream";
}  // namespace

HXFormDataRequest::HXFormDataRequest(Private p, std::shared_ptr<NSURL> url)
    : HXHTTPRequest(p, std::move(url)) {
  postFormat_ = HXURLEncodedPostFormat;
  stringEncoding_ = NSUTF8StringEncoding;
  setRequestMethod("POST");
}

std::shared_ptr<HXFormDataRequest> HXFormDataRequest::requestWithURL(std::shared_ptr<NSURL> url) {
  return std::make_shared<HXFormDataRequest>(Private{}, std::move(url));
}

std::shared_ptr<HXHTTPRequest> HXFormDataRequest::newRequestOfSameClass(
    std::shared_ptr<NSURL> url) const {
  return requestWithURL(std::move(url));
}

// ---- filling the form --------------------------------------------------------------------------

void HXFormDataRequest::addPostValue(const Value& value, const std::optional<std::string>& key) {
  if (!key) return;
  std::lock_guard<std::mutex> lock(formMutex_);
  if (!postData_) postData_.emplace();
  postData_->push_back({*key, value.isNil() ? std::string() : value.description()});
}

void HXFormDataRequest::setPostValue(const Value& value, const std::optional<std::string>& key) {
  {
    std::lock_guard<std::mutex> lock(formMutex_);
    if (postData_ && key)
      std::erase_if(*postData_, [&](const PostValue& v) { return v.key == *key; });
  }
  addPostValue(value, key);
}

void HXFormDataRequest::addData(const Value& data, const std::optional<std::string>& fileName,
                                const std::optional<std::string>& contentType,
                                const std::string& key) {
  std::lock_guard<std::mutex> lock(formMutex_);
  if (!fileData_) fileData_.emplace();
  fileData_->push_back({key, fileName.value_or(std::string()),
                        contentType.value_or(std::string(kDefaultContentType)), data});
}

void HXFormDataRequest::setData(const Value& data, const std::string& key) {
  setData(data, "file", std::nullopt, key);
}

void HXFormDataRequest::setData(const Value& data, const std::optional<std::string>& fileName,
                                const std::optional<std::string>& contentType,
                                const std::string& key) {
  {
    std::lock_guard<std::mutex> lock(formMutex_);
    if (fileData_) std::erase_if(*fileData_, [&](const FileData& f) { return f.key == key; });
  }
  addData(data, fileName, contentType, key);
}

void HXFormDataRequest::addFile(const std::string& path, const std::optional<std::string>& fileName,
                                const std::optional<std::string>& contentType,
                                const std::string& key) {
  bool isDirectory = false;
  if (!NSFileManager::defaultManager().fileExistsAtPath(path, &isDirectory) || isDirectory) {
    failWithError(NSError::withDescription(kHXHTTPRequestErrorDomain,
                                           HXInternalErrorWhileBuildingRequestType,
                                           "No file exists at " + path));
  }
  std::string name = fileName ? *fileName : lastPathComponent(path);
  std::string type = contentType
                         ? *contentType
                         : mimeTypeForFileAtPath(path).value_or(std::string(kDefaultContentType));
  addData(Value(path), name, type, key);
}

// ---- building the body -------------------------------------------------------------------------

void HXFormDataRequest::buildPostBody() {
  if (haveBuiltPostBody()) return;
  bool anyEntries, anyFiles;
  {
    std::lock_guard<std::mutex> lock(formMutex_);
    anyEntries = postData_ || fileData_;
    anyFiles = fileData_ && !fileData_->empty();
  }
  // With nothing ever added the body is the base request's plain one, with no form header.
  if (anyEntries) {
    // Files go through a temporary body file, whether they are bytes or paths.
    if (anyFiles) setShouldStreamPostDataFromDisk(true);
    if (postFormat_ == HXURLEncodedPostFormat)
      buildURLEncodedPostBody();
    else
      buildMultipartFormDataPostBody();
  }
  HXHTTPRequest::buildPostBody();
}

std::string HXFormDataRequest::charsetName() const {
  return CFStringConvertEncodingToIANACharSetName(
             CFStringConvertNSStringEncodingToEncoding(stringEncoding_))
      .value_or(std::string());
}

void HXFormDataRequest::buildURLEncodedPostBody() {
  std::vector<PostValue> values;
  {
    std::lock_guard<std::mutex> lock(formMutex_);
    if (fileData_ && !fileData_->empty()) {
      postFormat_ = HXMultipartFormDataPostFormat;
    } else if (postData_) {
      values = *postData_;
    }
  }
  if (postFormat_ != HXURLEncodedPostFormat) {
    buildMultipartFormDataPostBody();
    return;
  }
  addRequestHeader("Content-Type", "application/x-www-form-urlencoded; charset=" + charsetName());
  for (size_t i = 0; i < values.size(); ++i) {
    std::string pair = encodeURL(values[i].key) + "=" + encodeURL(values[i].value);
    if (i + 1 < values.size()) pair += "&";
    appendPostString(pair);
  }
}

void HXFormDataRequest::buildMultipartFormDataPostBody() {
  std::vector<PostValue> values;
  std::vector<FileData> files;
  {
    std::lock_guard<std::mutex> lock(formMutex_);
    if (postData_) values = *postData_;
    if (fileData_) files = *fileData_;
  }
  // A new boundary for every build.
  std::string boundary = std::string(kBoundaryPrefix) + NSUUID::createString();
  std::string separator = "\r\n--" + boundary + "\r\n";
  addRequestHeader("Content-Type",
                   "multipart/form-data; charset=" + charsetName() + "; boundary=" + boundary);

  appendPostString("--" + boundary + "\r\n");
  for (size_t i = 0; i < values.size(); ++i) {
    appendPostString("Content-Disposition: form-data; name=\"" + values[i].key + "\"\r\n\r\n");
    appendPostString(values[i].value);
    if (i + 1 < values.size() || !files.empty()) appendPostString(separator);
  }
  for (size_t i = 0; i < files.size(); ++i) {
    const FileData& f = files[i];
    appendPostString("Content-Disposition: form-data; name=\"" + f.key + "\"; filename=\"" +
                     f.fileName + "\"\r\n");
    appendPostString("Content-Type: " + f.contentType + "\r\n\r\n");
    if (f.data.isString())
      appendPostDataFromFile(std::string(f.data.string()));
    else if (f.data.isData())
      appendPostData(f.data.bytes());
    if (i + 1 < files.size()) appendPostString(separator);
  }
  appendPostString("\r\n--" + boundary + "--\r\n");
}

void HXFormDataRequest::appendPostString(std::string_view string) {
  if (auto bytes = dataUsingEncoding(string, stringEncoding_)) appendPostData(*bytes);
}

std::string HXFormDataRequest::encodeURL(std::string_view string) const {
  auto bytes = dataUsingEncoding(string, stringEncoding_);
  if (!bytes) return {};
  static const char hex[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(bytes->size() * 3);
  for (unsigned char c : *bytes) {
    bool keep = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
                c == '-' || c == '.' || c == '_';
    if (keep) {
      out += char(c);
    } else {
      out += '%';
      out += hex[c >> 4];
      out += hex[c & 15];
    }
  }
  return out;
}

// ---- copying and properties --------------------------------------------------------------------

std::shared_ptr<HXHTTPRequest> HXFormDataRequest::copyWithZone() const {
  auto copy = HXHTTPRequest::copyWithZone();
  if (auto form = std::dynamic_pointer_cast<HXFormDataRequest>(copy)) {
    form->setPostData(postData());
    form->setFileData(fileData());
    form->setPostFormat(postFormat_);
    form->setStringEncoding(stringEncoding_);
  }
  return copy;
}

std::optional<std::vector<HXFormDataRequest::PostValue>> HXFormDataRequest::postData() const {
  std::lock_guard<std::mutex> lock(formMutex_);
  return postData_;
}

void HXFormDataRequest::setPostData(std::optional<std::vector<PostValue>> v) {
  std::lock_guard<std::mutex> lock(formMutex_);
  postData_ = std::move(v);
}

std::optional<std::vector<HXFormDataRequest::FileData>> HXFormDataRequest::fileData() const {
  std::lock_guard<std::mutex> lock(formMutex_);
  return fileData_;
}

void HXFormDataRequest::setFileData(std::optional<std::vector<FileData>> v) {
  std::lock_guard<std::mutex> lock(formMutex_);
  fileData_ = std::move(v);
}
