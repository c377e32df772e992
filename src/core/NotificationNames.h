// The bus's notification names and userInfo keys, in their order of definition.
#pragma once

#include <string_view>

// userInfo keys: the integer-pair form's first integer (nobody reads it) and the message.
inline constexpr std::string_view kNotiWParam = "Noti_wParam";
inline constexpr std::string_view kNotiLParam = "Noti_lParam";
inline constexpr std::string_view kCommentCallback = "COMMENT_CALLBACK";
// Requests for the server, consumed by the dispatcher.
inline constexpr std::string_view kGlobeRequest = "globe_request";
// Usage events, consumed by the dispatcher.
inline constexpr std::string_view kLogAction = "log_action";
inline constexpr std::string_view kWebload = "webload";
inline constexpr std::string_view kWeiboLogin = "weibo_login";
inline constexpr std::string_view kChannelsUpdate = "channels_update";
inline constexpr std::string_view kFeedChannelsChange = "feed_channels_change";
inline constexpr std::string_view kCommentResult = "comment_result";
inline constexpr std::string_view kArticleDeleted = "article_deleted";
inline constexpr std::string_view kArticleAdded = "article_added";
inline constexpr std::string_view kLoginClientCallBack = "loginClientCallBack";
inline constexpr std::string_view kRegisterClientCallBack = "registerClientCallBack";
inline constexpr std::string_view kOpenClientCallBack = "openClientCallBack";
inline constexpr std::string_view kNewChannelsAdded = "new_channels_added";
inline constexpr std::string_view kChannelHasNew = "channel_has_new";
inline constexpr std::string_view kChannelRefresh = "channel_refresh";
inline constexpr std::string_view kMainTimerAnimal = "main_timer_animal";
inline constexpr std::string_view kStartTimerAnimal = "start_timer_animal";
inline constexpr std::string_view kBindAccountOk = "bind_account_ok";
inline constexpr std::string_view kSeminarHasUpdated = "seminar_has_updated";
inline constexpr std::string_view kSeminarHasRequest = "seminar_has_request";
inline constexpr std::string_view kSeminarSendData = "seminar_send_data";
inline constexpr std::string_view kApplicationDelegate = "application_delegate";
