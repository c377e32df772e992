// The keys under which the app keeps what it remembers: the user defaults, the configuration
// stores of NSConfig ("config", "cache_config" and the named stores) and the keys of the
// bundle's config.plist.  One table, so that a key is spelled once; the spellings are stored on
// readers' devices and never change.
#pragma once

#include <string_view>

// ---- user defaults

// The client key the server issued at registration, and the device id registered with it.
inline constexpr std::string_view kRegisterClientKey = "registerClientKey";
inline constexpr std::string_view kRegisterKey = "register_key";
// The push token handed to the server, and the one waiting to be handed over.
inline constexpr std::string_view kTokenKey = "token_key";
inline constexpr std::string_view kTokenKeyTemp = "token_key_temp";
// The platform user the reader followed from a seminar.
inline constexpr std::string_view kAttendUserIdKey = "AttendUserIdKey";
// The development-server switch ("1" on).
inline constexpr std::string_view kServerEngineKey = "server_engine";
// The last server message shown (an integer).
inline constexpr std::string_view kLoginMessageIdKey = "LoginMessageId";
// The device identifier record.
inline constexpr std::string_view kSharedUDIDKey = "SharedUDID";
// The settings (integers: 1 on, 2 off; "needSaveAccount" a BOOL).
inline constexpr std::string_view kSendWeiboKey = "send_weibo_key";
inline constexpr std::string_view kResendWeiboKey = "resend_weibo_key";
inline constexpr std::string_view kReadHeadShowKey = "read_head_show_key";
inline constexpr std::string_view kReadPicShowKey = "read_pic_show_key";
inline constexpr std::string_view kUploadImageKey = "upload_image_key";
inline constexpr std::string_view kReadFontSizeKey = "read_font_size_key";
inline constexpr std::string_view kNaviToolBarThemeKey = "navi_tool_bar_theme_key";
inline constexpr std::string_view kShakeKey = "shake_key";
inline constexpr std::string_view kVoiceKey = "voice_key";
inline constexpr std::string_view kWifiKey = "wifi_key";
inline constexpr std::string_view kMainBackgroundImageKey = "main_background_image";
inline constexpr std::string_view kMainNavigationImageKey = "main_navigation_image";
inline constexpr std::string_view kBkViewKey = "bkVIEW_key";
inline constexpr std::string_view kNeedSaveAccountKey = "needSaveAccount";
inline constexpr std::string_view kMessageFrequencyKey = "MessageFrequency";
// The composer's unsent text and picture, and the unsent feedback text.
inline constexpr std::string_view kWriteTextKey = "write_text_key";
inline constexpr std::string_view kWriteImageKey = "write_image_key";
inline constexpr std::string_view kWriteTextKeyUserFeedBack = "write_text_key_user_feed_back";
// The friend picked last.
inline constexpr std::string_view kRecentFriendKey = "ZUIJING_USER_FRIEND_ZIZA";
inline constexpr std::string_view kRecentFriendNameKey = "ZUIJING_USER_FRIEND_ZIZA_NAME";
inline constexpr std::string_view kRecentFriendPhotoKey = "ZUIJING_USER_FRIEND_ZIZA_PHOTO";
// The update stamp last shown for a channel or topic: the prefix followed by its id
// ("CHANNEL_UPDATE_KEY_%@"), and the one of the topic list.
inline constexpr std::string_view kChannelUpdateKeyPrefix = "CHANNEL_UPDATE_KEY_";
inline constexpr std::string_view kChannelUpdateKeyTopic = "CHANNEL_UPDATE_KEY_TOPIC";
inline constexpr std::string_view kTopicUpdateDataKey = "TopicUpdateData";
// Help overlays shown once, and the last stylesheet check.
inline constexpr std::string_view kShowListHelpKey = "showListHelp";
inline constexpr std::string_view kShowDetailsHelpKey = "showDetailsHelp";
inline constexpr std::string_view kCssCheckTimeKey = "CssCheckTimeKey";
// The pull-to-refresh header's last update text (written, never read).
inline constexpr std::string_view kLastRefreshKey = "PRRefreshTableView_LastRefresh";
// The URL navigator's saved history.
inline constexpr std::string_view kNavigatorHistoryKey = "ULNavigatorHistory";
inline constexpr std::string_view kNavigatorHistoryTimeKey = "ULNavigatorHistoryTime";
inline constexpr std::string_view kNavigatorHistoryImportantKey = "ULNavigatorHistoryImportant";

// ---- the bundle's config.plist (read-only)

// Where the writable copy lives.
inline constexpr std::string_view kConfigPathKey = "configPath";
inline constexpr std::string_view kConfigTypeKey = "configType";
// The first label of each server host, and the middle and last labels all six share.
inline constexpr std::string_view kDomainKey = "Domain";
inline constexpr std::string_view kPostDomainKey = "POST_Domain";
inline constexpr std::string_view kAccountDomainKey = "ACCOUNT_Domain";
inline constexpr std::string_view kLogDomainKey = "LOG_Domain";
inline constexpr std::string_view kShareDomainKey = "SHARE_Domain";
inline constexpr std::string_view kWebDomainKey = "WEB_Domain";
inline constexpr std::string_view kMiddleDomainKey = "MDOMAIN";
inline constexpr std::string_view kRootDomainKey = "RDOMAIN";

// ---- the "config" store (a copy of config.plist that the app adds to)

// The bundle version at the last copy.
inline constexpr std::string_view kVersionKey = "Version";
// The registration guide's launch counter.
inline constexpr std::string_view kRegModeFirstKey = "RegModeFirst";
inline constexpr std::string_view kAlreadyRatedKey = "is_already_ping_fen";
// The application id sent with logs, feedback and sharing.
inline constexpr std::string_view kAppIdKey = "appId";
// First-use hints of the navigation bar and tab view.
inline constexpr std::string_view kPopTypeFirstKey = "PopTypeFirst";
inline constexpr std::string_view kPopTypeFirstSortKey = "PopTypeFirstSort";
// The comment composer's unsent text, status id and "to all" flag.
inline constexpr std::string_view kMsgTextKey = "msg_text_key";
inline constexpr std::string_view kMsgWeiboIdKey = "msg_weiboId_key";
inline constexpr std::string_view kMsgSelectAllKey = "msg_select_all_key";
inline constexpr std::string_view kUserInfoGoOutKey = "user_info_go_out";
// A saved sample-request form: the prefix, "_" and a number ("%@_%d").
inline constexpr std::string_view kSamplesKeyPrefix = "sameples";

// ---- the "cache_config" store

// "0" no profile chosen, "2" chosen but not yet accepted by the server, "1" accepted.
inline constexpr std::string_view kUserSetupInfoKey = "msg_user_setup_info";
inline constexpr std::string_view kHasLoginByNormalKey = "hasLoginByNormal";
// When the app last went to the background.
inline constexpr std::string_view kEnterBackgroundTimeKey = "EnterBackgroundTime";
inline constexpr std::string_view kLoadGuideHomeKey = "loadGuideHome";
inline constexpr std::string_view kLumiKey = "lumi";
// Server stamps of the last channel list, server message, banner list and seminar list,
// staged under the key and "_temp" until the data is stored.
inline constexpr std::string_view kChannelUpdateDateKey = "channelUpdateDate";
inline constexpr std::string_view kMessageUpdateDateKey = "MessageUpdateDate";
inline constexpr std::string_view kBannerListUpdateDataKey = "BannerListUpdateData";
inline constexpr std::string_view kSeminarUpdateDateKey = "SeminarUpdateDate";
// The registration and interest wizards.
inline constexpr std::string_view kUserProfileKey = "userprofile";
inline constexpr std::string_view kZiviInfoStrKey = "zivi_info_str";
inline constexpr std::string_view kZiviInfoSelectKey = "zivi_info_select";
inline constexpr std::string_view kIndustrySectorKey = "industrySector";
inline constexpr std::string_view kJobTitleKey = "jobtitle";
inline constexpr std::string_view kBusinessTypeKey = "businesstype";
inline constexpr std::string_view kInterestKey = "interest";
inline constexpr std::string_view kCurPTypeKey = "cur_pType";
inline constexpr std::string_view kDingyueYucangqiKey = "dingyue_yucangqi";
// A seminar's draft: the prefix followed by the seminar id ("%@%lld").
inline constexpr std::string_view kSeminarDraftKeyPrefix = "write_seminar_id_is_";
inline constexpr std::string_view kEmailKey = "email_key";

// ---- named stores

// The channel catalogue's store and its keys.
inline constexpr std::string_view kChannelConfigStoreName = "channel_config";
inline constexpr std::string_view kChannelMd5NewKey = "channel_md5_new";
inline constexpr std::string_view kChannelNewsKey = "channelNews";
