// A form post: a request that collects named text values and named file parts and writes them,
// when its body is built, as an "application/x-www-form-urlencoded" body (the default, while
// there are no file parts) or as a "multipart/form-data" body.  Sending, redirects, retries,
// callbacks, the length header and the temporary body file are the base request's.
//
//   auto form = HXFormDataRequest::requestWithURL(url);
//   form->setPostValue("1", "a");
//   form->addFile("/path/photo.jpg", std::nullopt, std::nullopt, "photo");
//   form->startAsynchronous();
//
// A form with file parts always writes its body to a temporary file; files named by path are
// copied into it in pieces, never loaded whole.  Keys and file names are written as given.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "net/http/HXHTTPRequest.h"

// postFormat values.
enum HXPostFormat : int {
  HXMultipartFormDataPostFormat = 0,
  HXURLEncodedPostFormat = 1,
};

class HXFormDataRequest : public HXHTTPRequest {
 public:
  struct PostValue {
    std::string key;
    std::string value;
  };
  struct FileData {
    std::string key;
    std::string fileName;
    std::string contentType;
    // Bytes (a data Value) or the path of a file whose contents are sent (a string Value).
    Value data;
  };

  // URL-encoded, UTF-8, method "POST".
  HXFormDataRequest(Private, std::shared_ptr<NSURL> url);
  static std::shared_ptr<HXFormDataRequest> requestWithURL(std::shared_ptr<NSURL> url);

  // Appends the value's text (numbers in decimal); nothing without a key.
  void addPostValue(const Value& value, const std::optional<std::string>& key);
  // Removes every value of the key (exact comparison), then appends: the key goes last.
  void setPostValue(const Value& value, const std::optional<std::string>& key);

  // Appends a file part: bytes (Value::data) or a path (a string Value).  No content type is
  // "application/octet-stream".
  void addData(const Value& data, const std::optional<std::string>& fileName,
               const std::optional<std::string>& contentType, const std::string& key);
  // Replaces the key's file parts by these bytes, named "file".
  void setData(const Value& data, const std::string& key);
  void setData(const Value& data, const std::optional<std::string>& fileName,
               const std::optional<std::string>& contentType, const std::string& key);
  // Appends the file at the path; the name defaults to the path's last component and the type
  // to the MIME type of its extension.  A path that is missing or a folder fails the request at
  // once (code 6); the part is appended anyway.
  void addFile(const std::string& path, const std::optional<std::string>& fileName,
               const std::optional<std::string>& contentType, const std::string& key);

  // Builds the body once: the base request's plain body when nothing was ever added.
  void buildPostBody() override;
  void buildMultipartFormDataPostBody();
  void buildURLEncodedPostBody();
  void appendPostString(std::string_view string);
  // Percent-escapes every byte in stringEncoding but ASCII letters, digits, "-", "." and "_";
  // empty when the text does not convert.
  std::string encodeURL(std::string_view string) const;

  std::shared_ptr<HXHTTPRequest> copyWithZone() const override;

  // nullopt until the first value (or file part) is added.
  std::optional<std::vector<PostValue>> postData() const;
  void setPostData(std::optional<std::vector<PostValue>> v);
  std::optional<std::vector<FileData>> fileData() const;
  void setFileData(std::optional<std::vector<FileData>> v);
  // Any value other than HXURLEncodedPostFormat builds a multipart body.
  int postFormat() const { return postFormat_; }
  void setPostFormat(int v) { postFormat_ = v; }
  NSStringEncoding stringEncoding() const { return stringEncoding_; }
  void setStringEncoding(NSStringEncoding v) { stringEncoding_ = v; }

  // The application's reply route, only carried: the action to perform on clientdelegate
  // when the request ends.
  const Selector& actionString() const { return actionString_; }
  void setActionString(Selector s) { actionString_ = std::move(s); }
  std::shared_ptr<NSObject> clientdelegate() const { return clientdelegate_.lock(); }
  void setClientdelegate(std::weak_ptr<NSObject> d) { clientdelegate_ = std::move(d); }

 protected:
  std::shared_ptr<HXHTTPRequest> newRequestOfSameClass(std::shared_ptr<NSURL> url) const override;

 private:
  // The IANA name of stringEncoding ("utf-8" ...).
  std::string charsetName() const;

  mutable std::mutex formMutex_;
  std::optional<std::vector<PostValue>> postData_;
  std::optional<std::vector<FileData>> fileData_;
  std::atomic<int> postFormat_{HXURLEncodedPostFormat};
  std::atomic<NSStringEncoding> stringEncoding_{NSUTF8StringEncoding};
  Selector actionString_;
  std::weak_ptr<NSObject> clientdelegate_;
};
