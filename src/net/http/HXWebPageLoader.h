// The web view's page loader over the HTTP engine.  The application installs it at start-up
// (the platform's web view knows no network of its own): every page request is sent with its
// method, headers and body, follows redirects, and answers the web view on the main thread
// with the final address, the status and the body as text; a request that gets no answer
// fails with the engine's error.  Cancelling drops the request and its answer.
#pragma once

namespace HXWebPageLoader {

void install();

}  // namespace HXWebPageLoader
