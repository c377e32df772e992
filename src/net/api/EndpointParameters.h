// The pieces the content-server client's endpoint operations build their parameters from:
// whether a bus message's data item is given, the shared-state values several endpoints send (the
// platform user id, the current channel, the retina flag, the page that led the reader here,
// the location) and the paging rule.  Main thread, as the operations are.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "Foundation/Value.h"

class ClientRequest;

namespace endpoint {

// An argument's text is textIfAny's: strings as they are, numbers as their decimal text.
// Whether it has a non-empty one.
bool isGiven(const Value& v);
// The argument when given, nil (so it is left out) when missing or empty.
Value ifGiven(const Value& v);
// The argument's text, or the fallback when it has none.
Value textOr(const Value& v, std::string_view fallback);

// Adds the argument's text under the key; a missing argument adds nothing.
void put(const ValueDictionary& d, std::string_view key, const Value& v);
// The paging rule: the cursor goes as "max_id" on page "1", as "since_id" on any other page.
void putCursor(const ValueDictionary& d, const Value& page, const Value& cursor);

// "1" on a retina screen, else "0".
std::string is2x();
// The login data's profile type ("ptype").
std::string profileType();
// The bound platform account's user id; nothing without an account or with an empty id.
std::optional<std::string> platformUserId();
// "u_id" when a platform account with a non-empty id is bound.
void putPlatformUserId(const ValueDictionary& d);
// The current channel id with every "-" removed; empty without a current channel.
std::string currentChannelId();
// "source" and "ref_id": the page that led the reader here, when both halves are known.
void putSource(const ValueDictionary& d);
// "lon" and "lat" of the reader's location, each "%f".
void putLocation(const ValueDictionary& d);

// Hides the network-activity indicator half a second from now (after the client's checks).
void hideActivityIndicatorLater(const std::shared_ptr<ClientRequest>& client);

std::string localized(std::string_view key);

}  // namespace endpoint
