// Internal to the HTTP streams: what a transfer tells the stream it serves.
#pragma once

// Hears that a transfer has news (its response header, body bytes, its end).  Called on the
// driver's thread.
class CFHTTPTransferListener {
 public:
  virtual void transferChanged() = 0;

 protected:
  ~CFHTTPTransferListener() = default;
};
