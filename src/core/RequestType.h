// The numbers of bus messages (`NSMsgSend` `type`): the requests posted under "globe_request",
// which the dispatcher turns into server calls, and the message types that other notifications
// carry.  Usage-event codes (on "log_action") are a numbering of their own.
//
// Every poster and the dispatcher name a type here; no type is written as a bare number.  The
// numbers are the service's protocol between screens and dispatcher and never change.  A
// request whose operation is not built yet is listed all the same: the dispatcher lets it do
// nothing until its operation exists.
#pragma once

#include <cstdint>

enum class RequestType : int32_t {
  // ---- requests ("globe_request").  "Platform" calls go to the microblog platform's API.
  PlatformMyStatuses = 0,                 // own timeline
  PlatformUserStatusesByName = 1,         // a user's timeline by screen name
  Cancel = 3,                             // drop pending platform replies, stop the busy overlay
  ChannelStatuses = 4,                    // a channel's page
  FeedStatuses = 5,                       // the joined feed of several channels
  FavoriteStatuses = 6,                   // the favourites' page
  UpdateSubscription = 7,                 // the reader's channel subscription
  AddFavorite = 8,                        // mark a status as favourite
  RemoveFavorite = 9,                     // unmark it
  DeleteStatus = 10,                      // delete one's own post
  RepostStatus = 11,                      // repost, with a comment or without
  PostStatus = 12,                        // a new post
  PostImageStatus = 13,                   // a new post with a photo
  PlatformComments = 14,                  // a status's comments on the platform
  CommentStatus = 15,                     // comment on a status
  PlatformCommentCounts = 16,             // comment and repost counts on the platform
  ReplyToComment = 17,                    // answer a comment
  DailyTrends = 18,                       // hot topics
  PlatformFriends = 20,                   // the people a user follows
  PlatformUserById = 21,                  // a user's record by id
  PlatformUserByName = 22,                // a user's record by screen name
  PlatformRelationshipByName = 23,        // following state with a user, by name
  PlatformFollowById = 24,                // follow or unfollow by id
  PlatformFollowByNameQueued = 25,        // follow or unfollow by name, queued
  PlatformReloadStatus = 26,              // one status again
  CommentList = 27,                       // a status's comments on the content server
  PlatformMentions = 28,                  // posts mentioning the reader
  PlatformCommentsToMe = 29,              // comments on the reader's posts
  PlatformFriendsTimeline = 30,           // the followed people's posts
  PlatformDeleteStatus = 33,              // delete a platform post
  FullArticle = 34,                       // an article page
  PlatformLogin = 35,                     // start binding a platform account
  UpdatePoll = 36,                        // the update poll: new items of every channel
  ChannelUpdateCheck = 37,                // new items of the given channels
  PlatformUnreadCount = 38,               // the unread counters
  PlatformResetUnreadCount = 39,          // reset one counter
  LikeStatus = 40,                        // like an item
  LikeCount = 41,                         // like and comment counts of a page
  SuggestionCategories = 42,              // recommended-account categories
  Suggestions = 43,                       // recommended accounts of categories
  ServerMessage = 44,                     // the server's message to the reader
  BindPrompt = 45,                        // ask the reader to bind a platform account
  SeminarList = 46,                       // seminars of a channel
  SeminarPosts = 47,                      // a seminar's questions or opinions
  SeminarPost = 48,                       // post a question or opinion
  SeminarComment = 49,                    // comment on a seminar post
  SeminarRepost = 50,                     // repost a seminar post
  FollowSeminarPost = 51,                 // follow a seminar post
  UnfollowSeminarPost = 52,               // stop following one
  FollowedSeminarPosts = 53,              // the followed posts of a seminar
  FollowedSeminarPostDetails = 54,        // the followed posts in detail
  SeminarBanners = 55,                    // the seminar page's banners
  SeminarRegistration = 56,               // pre-register for a seminar
  QueueDownload = 57,                     // hand a prepared request to the downloader
  HotItems = 58,                          // the recommended items of a channel
  UserFeedback = 59,                      // the reader's feedback
  PlatformRelationshipByNameQueued = 60,  // following state by name, queued
  PlatformFollowByName = 61,              // follow or unfollow by name
  FollowServiceAccountIfAsked = 62,       // follow the service's account when the binding asks
  FollowServiceAccount = 63,              // follow the service's account
  TopicList = 64,                         // a channel's topics
  LikeProduct = 65,                       // like a product
  LikedProducts = 66,                     // the reader's liked products
  TopicTimeline = 67,                     // a topic's posts
  NewProducts = 68,                       // a channel's new products
  TrialProduct = 69,                      // request a product sample
  ShareToPlatform = 70,                   // share a status to the platform
  ShareArticleToPlatform = 71,            // share a read-later article to the platform
  PlatformRelationshipById = 72,          // following state with a user, by id
  PlatformUserStatusesById = 73,          // a user's timeline by id
  FeedToPlatform = 74,                    // post a text with a link to the platform
  UnlikeProduct = 75,                     // take a product's like back
  PlatformReposts = 76,                   // a status's reposts on the platform
  Advert = 77,                            // the start-up advert
  CloseAdvert = 78,                       // the reader closed an advert
  AdvertShown = 79,                       // an advert was shown
  ShowContent = 80,                       // an item's page
  ProfileOptions = 81,                    // the profile wizard's lists
  SaveIndustryProfile = 82,               // the wizard's industry, job and business choice
  SaveUserProfile = 83,                   // the reader's profile
  ShowSeminarContent = 87,                // a seminar post's page
  AppUpdateCheck = 88,                    // is there a newer version
  ChannelAdverts = 89,                    // a channel's adverts
  ExpoBanners = 90,                       // the expo's banners
  CompanyList = 91,                       // the expo's companies
  SaveChannelChoice = 92,                 // the channels the wizard chose
  AdvertsShown = 93,                      // several adverts were shown
  BabyInterestOptions = 94,               // the baby wizard's interest titles
  BabyBaseInfo = 95,                      // the baby wizard's base information
  SaveBabyInterests = 96,                 // the baby wizard's interests
  RecordProductClick = 97,                // a product was opened
  CrashReport = 98,                       // a crash report, as feedback
  Search = 99,                            // search statuses
  QuestionnaireStep = 100,                // a questionnaire step
  SaveQuestionnaireStep = 102,            // save a questionnaire step
  Vendors = 106,                          // the shop's vendors
  ProductFeedback = 107,                  // feedback on a product
  HotSearchWords = 109,                   // hot search words
  ChannelStatusesV2 = 110,                // a channel's page, second form
  AreaStatuses = 111,                     // an area group's timeline
  UploadLocation = 112,                   // send the reader's location
  AllChannelStatuses = 114,               // a channel's page with every kind of item
  ProductFeedbackList = 115,              // the feedback on a product
  ReopenSession = 116,                    // re-open the client session
  UploadLocationAfterError = 120,         // send the location after a failed attempt
  CancelClientRequest = 121,              // drop the client's single request
  RealTimeQuotes = 126,                   // market quotes
  CertificateSearch = 127,                // certificate look-up

  // ---- message types of other notifications (the dispatcher ignores them)
  // "comment_result": the content server's reply to a repost, a repost with comment, a
  // comment, a product feedback.
  CommentResultRepost = 11,
  CommentResultRepostWithComment = 31,
  CommentResultComment = 32,
  CommentResultProductFeedback = 117,
  // "new_channels_added": channels added on a page of the home grid, channels of the reader's
  // new choice, new channels of the server's list.
  ChannelsAddedToPage = 84,
  ChannelsChosen = 101,
  NewChannelsFromServer = 125,
  // "seminar_has_request": a channel screen opened a seminar channel.
  SeminarChannelOpened = 85,
  // "application_delegate": the profile wizard closed.
  ProfileWizardClosed = 86,
  // "channel_refresh": switch the channel screen to a channel, the location reply, after the
  // login, after the profile type changed.
  ChannelRefreshSwitch = 105,
  ChannelRefreshLocation = 113,
  ChannelRefreshAfterLogin = 119,
  ChannelRefreshProfileType = 123,
  // "bind_account_ok": the caches were deleted.
  CachesDeleted = 122,
};

// The number a message carries.
constexpr int32_t toInt(RequestType type) {
  return static_cast<int32_t>(type);
}
