// The content-server client's seminar endpoints: banners, posting, commenting and reposting,
// following posts and pre-registration.  The seminar reading lists are with the reading
// endpoints.
#include "net/api/ClientPostRequest.h"
#include "net/api/ClientRequest.h"
#include "net/api/EndpointParameters.h"

using namespace endpoint;

namespace {

// Following a post is undone with a long timeout.
constexpr int kUnwatchTimeOutSec = 60;
// An option the reader did not choose.
constexpr int kNoOption = -1;

}  // namespace

std::pair<std::weak_ptr<NSObject>, Selector> ClientRequest::takePostReceiver() {
  std::pair<std::weak_ptr<NSObject>, Selector> taken{postQueue_->clientdelegateRef(),
                                                     postQueue_->actionString()};
  postQueue_->setPostAction(Selector(), {});
  return taken;
}

void ClientRequest::getBanner() {
  auto [receiver, action] = takePostReceiver();
  methodType_ = 0;
  serverType_ = 0;
  noNeedPromptLoad_ = true;
  reQueueUrl("/Dialog/GetBannerAD.aspx", newParameters(), std::move(receiver), std::move(action), 3,
             true);
  noNeedPromptLoad_ = false;
}

void ClientRequest::postDialog(const Value& content, const Value& postType, const Value& eventId) {
  auto d = newPostParameters();
  put(d, "content", content);
  put(d, "type", postType);
  put(d, "event_id", eventId);
  pendingSeminarId_ = eventId.intValue();
  postQueue_->reQuestUrl("/Dialog/DialogPost.aspx", d);
}

void ClientRequest::repostDialog(const Value& blogId, const Value& content, const Value& postType,
                                 const Value& eventId, const Value& isComment) {
  auto d = newPostParameters();
  put(d, "blog_id", blogId);
  put(d, "content", content);
  put(d, "type", postType);
  put(d, "event_id", eventId);
  put(d, "is_comment", isComment);
  postQueue_->reQuestUrl("/Dialog/DialogRepost.aspx", d);
}

void ClientRequest::commentDialog(const Value& blogId, const Value& content, const Value& postType,
                                  const Value& eventId) {
  auto d = newPostParameters();
  put(d, "blog_id", blogId);
  put(d, "content", content);
  put(d, "type", postType);
  put(d, "event_id", eventId);
  postQueue_->reQuestUrl("/Dialog/DialogComment.aspx", d);
}

void ClientRequest::watchDialog(const Value& zizaBlogId, const Value& userId,
                                const Value& eventId) {
  auto d = newParameters();
  put(d, "ziza_blog_id", zizaBlogId);
  put(d, "u_id", userId);
  put(d, "event_id", eventId);
  postQueue_->reQuestUrl("/Dialog/WatchDialogPost.aspx", d);
}

void ClientRequest::unWatchDialog(const Value& watchId) {
  auto d = newPostParameters();
  put(d, "id", watchId);
  methodType_ = 1;
  serverType_ = 1;
  timeOutSec_ = kUnwatchTimeOutSec;
  needAuthorize_ = true;
  sendSingle("/Dialog/UnWatchDialogPost.aspx", d, false);
  methodType_ = 0;
  serverType_ = 0;
}

void ClientRequest::recordDialog(const Value& eventId, const Value& userId, const Value& type,
                                 const Value& isremind, const Value& isdoc, const Value& ismore,
                                 const Value& contact) {
  auto d = newParameters();
  put(d, "type", type);
  if (isGiven(contact)) {
    if (!isGiven(userId)) {
      put(d, "email", contact);
    } else {
      put(d, "u_id", userId);
      put(d, "u_name", contact);
    }
  }
  put(d, "event_id", eventId);
  for (auto [key, option] : {std::pair{"remind", &isremind}, {"doc", &isdoc}, {"more", &ismore}}) {
    if (option->intValue() != kNoOption) put(d, key, *option);
  }
  methodType_ = 1;
  serverType_ = 1;
  needAuthorize_ = false;
  reQueueUrl("/Dialog/DialogEventSubscription.aspx", d, delegate_, action_, 4, true);
  methodType_ = 0;
  serverType_ = 0;
}
