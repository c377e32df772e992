#include "server/HttplibRequest.h"

#include <httplib.h>

namespace zept::server {

RecordedRequest recordedRequestOf(const httplib::Request& req,
                                  const httplib::ContentReader* reader) {
  RecordedRequest rec;
  rec.method = req.method;
  rec.path = req.path;
  auto q = req.target.find('?');
  if (q != std::string::npos) rec.query = req.target.substr(q + 1);
  for (auto& [k, v] : req.headers) {
    // The library adds these itself while parsing.
    if (k == "REMOTE_ADDR" || k == "REMOTE_PORT" || k == "LOCAL_ADDR" || k == "LOCAL_PORT")
      continue;
    rec.headers.emplace_back(k, v);
  }
  rec.remotePort = req.remote_port;
  rec.queryParams = parseURLEncoded(rec.query);
  if (reader) {
    if (req.is_multipart_form_data()) {
      std::vector<httplib::MultipartFormData> parts;
      (*reader)(
          [&](const httplib::MultipartFormData& part) {
            parts.push_back(part);
            return true;
          },
          [&](const char* data, size_t length) {
            if (!parts.empty()) parts.back().content.append(data, length);
            return true;
          });
      for (auto& p : parts) {
        if (p.filename.empty())
          rec.formParams.emplace_back(p.name, p.content);
        else
          rec.files.push_back({p.name, p.filename, p.content_type, p.content});
      }
    } else {
      (*reader)([&](const char* data, size_t length) {
        rec.body.append(data, length);
        return true;
      });
      if (lowercaseASCII(req.get_header_value("Content-Type"))
              .rfind("application/x-www-form-urlencoded", 0) == 0)
        rec.formParams = parseURLEncoded(rec.body);
    }
  } else {
    rec.body = req.body;
  }
  return rec;
}

}  // namespace zept::server
