// A request as the HTTP library parsed it, turned into the servers' record of it: headers
// (without those the library adds), decoded query and form parameters, and multipart files.
#pragma once

#include "server/ServerRequest.h"

namespace httplib {
struct Request;
class ContentReader;
}  // namespace httplib

namespace zept::server {

// With a reader the body is read through it (forms and multipart uploads); without, the body
// the library read is taken.
RecordedRequest recordedRequestOf(const httplib::Request& req,
                                  const httplib::ContentReader* reader);

}  // namespace zept::server
