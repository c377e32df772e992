// The writing, seminar, profile and advert requests of the bus: each type reaches its endpoint
// with the method, path, query and form the service expects, and records its usage event;
// what they post is what later reads return.
#include <gtest/gtest.h>

#include "Common/JXKit/NSString+JXKitDeserializing.h"
#include "Foundation/NSURL.h"
#include "UIKit/UIAlertView.h"
#include "core/NSSectionItem.h"
#include "net/api/ServerResult.h"
#include "net/api/WriteTestSupport.h"
#include "net/http/HXHTTPRequest.h"

namespace {

using namespace writetest;
using zept::server::RecordedRequest;

class WriteRequestsTest : public WriteTest {
 protected:
  // The usage actions recorded since the start, as "type|parameters".
  std::vector<std::string> events() const { return apitest::usageEvents(*net); }
};

TEST_F(WriteRequestsTest, EachRequestTypeReachesItsEndpointWithItsParameters) {
  NSGlobe::getEngine()->setSourceInfo("search");
  NSGlobe::getEngine()->setSourceIds("5");
  NSGlobe::getEngine()->setCurLocation({121.47, 31.23});
  account->attend = true;
  const std::string K = key, U = kReader, S = kCommentedStatus, P = kProduct;
  const Pairs keyStd = {{"keys", K}, {"std", "2.0"}};
  auto with = [&](Pairs more) {
    Pairs all = keyStd;
    all.insert(all.end(), more.begin(), more.end());
    return all;
  };
  struct Row {
    const char* name;
    RequestType type;
    Value data;
    const char* method;
    const char* path;
    Pairs query;
    Pairs form;
    // The usage event recorded, "code|detail"; empty for none.
    std::string usage;
  };
  const std::vector<Row> rows = {
      {"subscription",
       RequestType::UpdateSubscription,
       strings({"101,102"}),
       "POST",
       "/Operates/ChannelsSubscription.aspx",
       keyStd,
       {{"channel_ids", "101,102"}},
       "15|"},
      {"favourite",
       RequestType::AddFavorite,
       strings({kCommentedStatus}),
       "POST",
       "/Operates/FavoritesCreate.aspx",
       keyStd,
       {{"blog_id", S}, {"u_id", U}},
       "5|" + S},
      {"unfavourite",
       RequestType::RemoveFavorite,
       strings({kCommentedStatus}),
       "POST",
       "/Operates/FavoritesDestroy.aspx",
       keyStd,
       {{"blog_id", S}, {"u_id", U}},
       "6|" + S},
      {"delete",
       RequestType::DeleteStatus,
       strings({kGoneStatus}),
       "POST",
       "/Operates/StatusesDestroy.aspx",
       keyStd,
       {{"blog_id", kGoneStatus}, {"u_id", U}},
       std::string("13|") + kGoneStatus},
      {"repost with comment",
       RequestType::RepostStatus,
       strings({kCommentedStatus, "好文", "1"}),
       "POST",
       "/Operates/StatusesRepost.aspx",
       keyStd,
       {{"u_id", U},
        {"blog_id", S},
        {"is_comment", "1"},
        {"content", "好文"},
        {"channelID", "101"}},
       "22|" + S},
      {"repost, empty text",
       RequestType::RepostStatus,
       strings({kCommentedStatus, "", "0"}),
       "POST",
       "/Operates/StatusesRepost.aspx",
       keyStd,
       {{"u_id", U},
        {"blog_id", S},
        {"is_comment", "0"},
        {"content", "转发微博"},
        {"channelID", "101"}},
       "3|" + S},
      {"repost, one blank",
       RequestType::RepostStatus,
       strings({kCommentedStatus, " ", "0"}),
       "POST",
       "/Operates/StatusesRepost.aspx",
       keyStd,
       {{"u_id", U}, {"blog_id", S}, {"is_comment", "0"}, {"content", " "}, {"channelID", "101"}},
       "3|" + S},
      {"post",
       RequestType::PostStatus,
       strings({"新品上市"}),
       "POST",
       "/Operates/StatusesUpdate.aspx",
       keyStd,
       {{"u_id", U}, {"content", "新品上市"}},
       "12|"},
      {"comment",
       RequestType::CommentStatus,
       strings({kCommentedStatus, "赞"}),
       "POST",
       "/Operates/StatusesComment.aspx",
       keyStd,
       {{"u_id", U}, {"blog_id", S}, {"content", "赞"}, {"channelID", "101"}},
       "4|" + S},
      {"reply to a comment",
       RequestType::ReplyToComment,
       strings({kFirstComment, kCommentedStatus, "同意"}),
       "POST",
       "/Operates/StatusesCommentReply.aspx",
       keyStd,
       {{"u_id", U},
        {"blog_id", S},
        {"content", "同意"},
        {"cid", kFirstComment},
        {"channelID", "101"}},
       std::string("4|") + kFirstComment + "," + S},
      {"like",
       RequestType::LikeStatus,
       strings({kCommentedStatus, "104"}),
       "GET",
       "/Operates/Like.aspx",
       with({{"blog_id", S}, {"channelID", "104"}}),
       {},
       "7|"},
      {"seminar post",
       RequestType::SeminarPost,
       strings({"会员积分怎么设计？", "1", "1"}),
       "POST",
       "/Dialog/DialogPost.aspx",
       keyStd,
       {{"u_id", U}, {"content", "会员积分怎么设计？"}, {"type", "1"}, {"event_id", "1"}},
       ""},
      {"seminar comment",
       RequestType::SeminarComment,
       strings({kCommentedStatus, "同问", "3", "1"}),
       "POST",
       "/Dialog/DialogComment.aspx",
       keyStd,
       {{"u_id", U}, {"blog_id", S}, {"content", "同问"}, {"type", "3"}, {"event_id", "1"}},
       ""},
      {"seminar repost",
       RequestType::SeminarRepost,
       strings({kCommentedStatus, "转给大家", "3", "1", "0"}),
       "POST",
       "/Dialog/DialogRepost.aspx",
       keyStd,
       {{"u_id", U},
        {"blog_id", S},
        {"content", "转给大家"},
        {"type", "3"},
        {"event_id", "1"},
        {"is_comment", "0"}},
       ""},
      {"follow a seminar post",
       RequestType::FollowSeminarPost,
       strings({kCommentedStatus, kReader, "1"}),
       "POST",
       "/Dialog/WatchDialogPost.aspx",
       keyStd,
       {{"ziza_blog_id", S}, {"u_id", U}, {"event_id", "1"}},
       ""},
      {"unfollow it, all in the query",
       RequestType::UnfollowSeminarPost,
       strings({"1"}),
       "POST",
       "/Dialog/UnWatchDialogPost.aspx",
       {{"keys", K}, {"u_id", U}, {"std", "2.0"}, {"id", "1"}},
       {},
       ""},
      {"seminar banners",
       RequestType::SeminarBanners,
       Value(),
       "GET",
       "/Dialog/GetBannerAD.aspx",
       keyStd,
       {},
       ""},
      {"registration by e-mail",
       RequestType::SeminarRegistration,
       strings({"1", "", "1", "1", "-1", "0", "mama@example.com"}),
       "POST",
       "/Dialog/DialogEventSubscription.aspx",
       keyStd,
       {{"type", "1"},
        {"email", "mama@example.com"},
        {"event_id", "1"},
        {"remind", "1"},
        {"more", "0"}},
       ""},
      {"registration by account",
       RequestType::SeminarRegistration,
       strings({"1", kReader, "2", "-1", "-1", "-1", "禾苗"}),
       "POST",
       "/Dialog/DialogEventSubscription.aspx",
       keyStd,
       {{"type", "2"}, {"u_id", U}, {"u_name", "禾苗"}, {"event_id", "1"}},
       ""},
      {"follow the service when asked",
       RequestType::FollowServiceAccountIfAsked,
       Value(),
       "GET",
       "/Accounts/AttentionI.aspx",
       keyStd,
       {},
       ""},
      {"follow the service",
       RequestType::FollowServiceAccount,
       Value(),
       "GET",
       "/Accounts/AttentionI.aspx",
       keyStd,
       {},
       ""},
      {"like a product",
       RequestType::LikeProduct,
       strings({kProduct}),
       "GET",
       "/Operates/LikeProduct.aspx",
       with({{"pro_id", P}}),
       {},
       "7|"},
      {"trial, long form",
       RequestType::TrialProduct,
       strings({kProduct, "13800000000", "1", "李丽", "女", "1990-01-01", "上海徐汇"}),
       "GET",
       "/Operates/TrialProduct.aspx",
       with({{"pro_id", P},
             {"tel", "13800000000"},
             {"toziza", "1"},
             {"name", "李丽"},
             {"gender", "女"},
             {"birthday", "1990-01-01"},
             {"address", "上海徐汇"}}),
       {},
       "7|"},
      {"trial, six fields",
       RequestType::TrialProduct,
       strings({kProduct, "13800000000", "0", "李丽", "女", "1990-01-01"}),
       "GET",
       "/Operates/TrialProduct.aspx",
       with({{"pro_id", P}, {"tel", "13800000000"}, {"toziza", "0"}}),
       {},
       "7|"},
      {"share a product",
       RequestType::ShareToPlatform,
       strings({kProduct}),
       "POST",
       "/operates/ShareToZizaWeibo.aspx",
       keyStd,
       {{"u_id", U}, {"pro_id", P}, {"channelID", "101"}},
       ""},
      {"share an article",
       RequestType::ShareArticleToPlatform,
       strings({"9", "奶粉新政解读", "http://t.ziza.example/Mb7kQ2"}),
       "POST",
       "/operates/ShareToZizaWeibo.aspx",
       keyStd,
       {{"u_id", U},
        {"later_id", "9"},
        {"later_title", "奶粉新政解读"},
        {"later_url", "http://t.ziza.example/Mb7kQ2"},
        {"channelID", "101"}},
       ""},
      {"feed a product",
       RequestType::FeedToPlatform,
       strings({kProduct, "推荐给大家"}),
       "POST",
       "/operates/ShareToZizaWeibo.aspx",
       keyStd,
       {{"u_id", U}, {"pro_id", P}, {"content", "推荐给大家"}},
       ""},
      {"feed without product",
       RequestType::FeedToPlatform,
       strings({nullptr, "推荐给大家"}),
       "POST",
       "/operates/ShareToZizaWeibo.aspx",
       keyStd,
       {{"u_id", U}},
       ""},
      {"unlike a product",
       RequestType::UnlikeProduct,
       strings({kProduct}),
       "GET",
       "/Operates/LikeProductDestroy.aspx",
       with({{"pro_id", P}}),
       {},
       ""},
      {"item advert",
       RequestType::Advert,
       strings({"7"}),
       "GET",
       "/AD/AD_Get.aspx",
       with({{"eid", "7"}, {"channelID", "101"}, {"source", "search"}, {"ref_id", "5"}}),
       {},
       ""},
      {"close an advert",
       RequestType::CloseAdvert,
       strings({"601"}),
       "GET",
       "/AD/AD_Hide.aspx",
       with({{"id", "601"}, {"channelID", "101"}, {"source", "search"}, {"ref_id", "5"}}),
       {},
       ""},
      {"advert shown",
       RequestType::AdvertShown,
       strings({"601"}),
       "GET",
       "/AD/AD_show.aspx",
       with({{"id", "601"}, {"channelID", "101"}, {"source", "search"}, {"ref_id", "5"}}),
       {},
       ""},
      {"adverts shown",
       RequestType::AdvertsShown,
       strings({"701", "702"}),
       "GET",
       "/AD/AD_show.aspx",
       with({{"id", ",701,702"}, {"channelID", "101"}, {"source", "search"}, {"ref_id", "5"}}),
       {},
       ""},
      {"channel adverts",
       RequestType::ChannelAdverts,
       strings({"104"}),
       "GET",
       "/AD/ADChannelList.aspx",
       with({{"channelid", "104"}}),
       {},
       ""},
      {"profile options",
       RequestType::ProfileOptions,
       Value(),
       "GET",
       "/Profile/UserProfileOption.aspx",
       keyStd,
       {},
       ""},
      {"industry choice, empty job left out",
       RequestType::SaveIndustryProfile,
       strings({",母婴零售", "", ",品牌商"}),
       "GET",
       "/Profile/UserIndustrySectorSaveV2.aspx",
       with({{"industrySector", ",母婴零售"}, {"businesstype", ",品牌商"}, {"is2x", "1"}}),
       {},
       ""},
      {"profile",
       RequestType::SaveUserProfile,
       strings({",1,2"}),
       "GET",
       "/Profile/UserProfileSave.aspx",
       with({{"profileId", ",1,2"}}),
       {},
       ""},
      {"channel choice",
       RequestType::SaveChannelChoice,
       strings({",101,104"}),
       "GET",
       "/Profile/UserChannelSave.aspx",
       with({{"profileId", ",101,104"}}),
       {},
       ""},
      {"baby interest options",
       RequestType::BabyInterestOptions,
       Value(),
       "GET",
       "/Profile/UserProfileOption.aspx",
       keyStd,
       {},
       ""},
      {"baby base information",
       RequestType::BabyBaseInfo,
       strings({"孕期保健", "2013-05-01", "1"}),
       "GET",
       "/Profile/ProfileRegister.aspx",
       with({{"interest", "孕期保健"}, {"birthday", "2013-05-01"}, {"gender", "1"}}),
       {},
       ""},
      {"baby interests",
       RequestType::SaveBabyInterests,
       strings({"孕期保健"}),
       "GET",
       "/Profile/UserChannelSave.aspx",
       with({{"interest", "孕期保健"}}),
       {},
       ""},
      {"product opened, all in the query",
       RequestType::RecordProductClick,
       strings({kProduct}),
       "POST",
       "/channels/itemclick.aspx",
       with({{"id", P}}),
       {},
       ""},
      {"questionnaire step, type before std",
       RequestType::QuestionnaireStep,
       Value("job"),
       "GET",
       "/Profile/UserGuide.aspx",
       {{"keys", K}, {"type", "job"}, {"std", "2.0"}},
       {},
       ""},
      {"questionnaire first step",
       RequestType::QuestionnaireStep,
       Value(""),
       "GET",
       "/Profile/UserGuide.aspx",
       keyStd,
       {},
       ""},
      {"questionnaire save",
       RequestType::SaveQuestionnaireStep,
       strings({",母婴零售", "industry"}),
       "POST",
       "/Profile/UserGuideSave.aspx",
       keyStd,
       {{"profile", ",母婴零售"}, {"type", "industry"}, {"is2x", "1"}},
       ""},
      {"product feedback",
       RequestType::ProductFeedback,
       strings({"很好用", kProduct}),
       "POST",
       "/Channels/PostProductFeedback.aspx",
       keyStd,
       {{"is_open", "0"}, {"u_id", U}, {"content", "很好用"}, {"product_id", P}},
       ""},
      {"location",
       RequestType::UploadLocation,
       Value(),
       "POST",
       "/Locate/UserGroup.aspx",
       keyStd,
       {{"lon", "121.470000"}, {"lat", "31.230000"}},
       ""},
      {"location again",
       RequestType::UploadLocationAfterError,
       Value(),
       "POST",
       "/Locate/UserGroup.aspx",
       keyStd,
       {{"lon", "121.470000"}, {"lat", "31.230000"}},
       ""},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_TRUE(NSWeiBoNet::handlesType(row.type));
    size_t eventsBefore = events().size();
    RecordedRequest sent = postAndWait(row.type, row.data, row.path);
    EXPECT_EQ(sent.method, row.method);
    EXPECT_EQ(sent.path, row.path);
    EXPECT_EQ(pairs(sent.queryParams), row.query);
    EXPECT_EQ(pairs(sent.formParams), row.form);
    EXPECT_EQ(sent.header("User-Agent"), "ZeptMobileAgent_iphone");
    auto recorded = events();
    std::vector<std::string> added(recorded.begin() + long(eventsBefore), recorded.end());
    if (row.usage.empty())
      EXPECT_TRUE(added.empty()) << added.front();
    else
      EXPECT_EQ(added, std::vector<std::string>{"10-1," + row.usage});
  }
}

TEST_F(WriteRequestsTest, APictureGoesAsTheMultipartPartImgfile) {
  const std::string jpeg = "\xff\xd8\xff\xe0 picture bytes \xff\xd9";
  RecordedRequest sent =
      postAndWait(RequestType::PostImageStatus, Value(makeArray({Value(""), Value::data(jpeg)})),
                  "/Operates/StatusesUpload.aspx");
  EXPECT_EQ(sent.method, "POST");
  EXPECT_EQ(sent.query, "");
  EXPECT_EQ(pairs(sent.formParams),
            (Pairs{{"keys", key}, {"u_id", kReader}, {"std", "2.0"}, {"content", "分享图片"}}));
  ASSERT_EQ(sent.files.size(), 1u);
  EXPECT_EQ(sent.files[0].name, "imgfile");
  EXPECT_EQ(sent.files[0].filename, "file");
  EXPECT_EQ(sent.files[0].contentType, "application/octet-stream");
  EXPECT_EQ(sent.files[0].content, jpeg);
}

TEST_F(WriteRequestsTest, FeedbackGoesEncipheredWithTheDeviceFields) {
  RecordedRequest sent =
      postAndWait(RequestType::UserFeedback, strings({"希望增加价格行情"}), "/feedback.aspx");
  EXPECT_EQ(sent.method, "POST");
  auto query = pairs(sent.queryParams);
  ASSERT_EQ(query.size(), 4u);
  EXPECT_EQ(query[2], (std::pair<std::string, std::string>{"type", "1"}));
  EXPECT_EQ(query[3].first, "appid");
  ASSERT_EQ(sent.formParams.size(), 1u);
  EXPECT_EQ(sent.formParams[0].first, "body");
  // What went over the wire is no plain JSON; the log host deciphers it.
  EXPECT_TRUE(objectFromJSONString(sent.formParams[0].second).isNil());
  ASSERT_FALSE(server.logUploads().empty());
  Value body = objectFromJSONString(server.logUploads().back().field("body"));
  ASSERT_TRUE(body.isDictionary());
  std::vector<std::string> keys;
  body.dictionary()->enumerate([&](const std::string& k, const Value&) { keys.push_back(k); });
  std::sort(keys.begin(), keys.end());
  EXPECT_EQ(keys, (std::vector<std::string>{"brand", "content", "imei", "imsi", "macaddress", "mfg",
                                            "model", "osver", "usermsg", "ver", "zizaid"}));
  EXPECT_EQ(body["zizaid"], Value(kReader));
  EXPECT_EQ(body["imsi"], Value("9"));
  EXPECT_EQ(body["brand"], Value("Apple"));
  EXPECT_EQ(body["usermsg"], Value("希望增加价格行情"));
}

TEST_F(WriteRequestsTest, WithoutABoundAccountTheAccountOperationsAskForABindingAndSendNothing) {
  account->uid.clear();
  for (RequestType type : {RequestType::AddFavorite, RequestType::RemoveFavorite,
                           RequestType::DeleteStatus, RequestType::UnfollowSeminarPost}) {
    SCOPED_TRACE(toInt(type));
    UIAlertView::removeAllVisibleAlerts();
    post(type, strings({kCommentedStatus}));
    ASSERT_EQ(UIAlertView::visibleAlerts().size(), 1u);
    EXPECT_EQ(UIAlertView::visibleAlerts()[0]->title(), "温馨提示");
  }
  UIAlertView::removeAllVisibleAlerts();
  // The service's account is followed only when the binding asked for it.
  post(RequestType::FollowServiceAccountIfAsked, Value());
  MainLoop::pump();
  waitFor([] { return false; }, 0.2);
  EXPECT_TRUE(server.requests().empty());
}

// ---- what later reads return --------------------------------------------------------------------

TEST_F(WriteRequestsTest, AStatusPostedThroughTheBusShowsUpInTheNextReadOfItsChannel) {
  auto before = channelTexts(kWall);
  ASSERT_FALSE(before.empty());
  postAndWait(RequestType::PostStatus, strings({"门店会员日活动今天开始"}),
              "/Operates/StatusesUpdate.aspx");
  auto after = channelTexts(kWall);
  ASSERT_EQ(after.size(), std::min<size_t>(before.size() + 1, 20));
  EXPECT_EQ(after.front(), "门店会员日活动今天开始");

  // A picture post: the picture is served as it was uploaded.
  const std::string jpeg = "\xff\xd8\xff\xe0 shop window \xff\xd9";
  postAndWait(RequestType::PostImageStatus, Value(makeArray({Value("橱窗"), Value::data(jpeg)})),
              "/Operates/StatusesUpload.aspx");
  Value page = replyTo(RequestType::ChannelStatuses, strings({kWall, "1", "0"}));
  Value newest = page["statuses"][0];
  EXPECT_EQ(newest["text"], Value("橱窗"));
  EXPECT_EQ(newest["user"]["id"].longLongValue(), std::stoll(kReader));
  std::string picture = newest["bmiddle_pic"].description();
  auto request = HXHTTPRequest::requestWithURL(NSURL::URLWithString(picture));
  request->startSynchronous();
  EXPECT_EQ(request->responseStatusCode(), 200) << picture;
  ASSERT_TRUE(request->responseData());
  EXPECT_EQ(*request->responseData(), jpeg);

  // The reader's own post can be deleted, and is gone from the next read.
  std::string id = newest["id"].description();
  auto reply = replyTo(RequestType::DeleteStatus, strings({id.c_str()}));
  EXPECT_EQ(reply["ResultBoolean"], Value(true));
  EXPECT_EQ(channelTexts(kWall).front(), "门店会员日活动今天开始");
  // Somebody else's is not.
  reply = replyTo(RequestType::DeleteStatus, strings({kCommentedStatus}));
  EXPECT_EQ(reply["ResultBoolean"], Value(false));
}

TEST_F(WriteRequestsTest, RepostsCommentsFavouritesAndLikesAreKeptForLaterReads) {
  auto countsOf = [&](const char* status) {
    Value page = replyTo(RequestType::ChannelStatuses, strings({kWall, "1", "0"}));
    for (size_t i = 0; i < page["statuses"].count(); ++i) {
      Value s = page["statuses"][i];
      if (s["id"].description() == status) return s;
    }
    return Value();
  };
  // A status of the wall: its counts as the channel lists them.
  Value wallStatus =
      replyTo(RequestType::ChannelStatuses, strings({kWall, "1", "0"}))["statuses"][0];
  std::string id = wallStatus["id"].description();
  long long reposts = wallStatus["reposts_count"].longLongValue();
  long long comments = wallStatus["comments_count"].longLongValue();
  long long likes = wallStatus["likes_count"].longLongValue();

  // A repost with comment: a new status on the wall reposting it, one more repost and comment.
  postAndWait(RequestType::RepostStatus, strings({id.c_str(), "值得一读", "1"}),
              "/Operates/StatusesRepost.aspx");
  Value newest = replyTo(RequestType::ChannelStatuses, strings({kWall, "1", "0"}))["statuses"][0];
  EXPECT_EQ(newest["text"], Value("值得一读"));
  EXPECT_EQ(newest["retweeted_status"]["id"].description(), id);
  Value counted = countsOf(id.c_str());
  EXPECT_EQ(counted["reposts_count"].longLongValue(), reposts + 1);
  EXPECT_EQ(counted["comments_count"].longLongValue(), comments + 1);

  // A comment shows in the status's comment list.
  postAndWait(RequestType::CommentStatus, strings({id.c_str(), "说得好"}),
              "/Operates/StatusesComment.aspx");
  Value list = replyTo(RequestType::CommentList, strings({id.c_str(), "0", "1"}));
  ASSERT_GE(list["comments"].count(), 2u);
  EXPECT_EQ(list["comments"][0]["text"], Value("说得好"));
  EXPECT_EQ(list["comments"][1]["text"], Value("值得一读"));

  // A like counts once per reader.
  replyTo(RequestType::LikeStatus, strings({id.c_str(), kWall}));
  replyTo(RequestType::LikeStatus, strings({id.c_str(), kWall}));
  EXPECT_EQ(countsOf(id.c_str())["likes_count"].longLongValue(), likes + 1);

  // Favourites: the favourites channel lists them for the account, until removed.
  const char* favourites = "4";
  EXPECT_TRUE(channelTexts(favourites, RequestType::FavoriteStatuses).empty());
  replyTo(RequestType::AddFavorite, strings({id.c_str()}));
  replyTo(RequestType::AddFavorite, strings({kCommentedStatus}));
  auto listed = channelTexts(favourites, RequestType::FavoriteStatuses);
  EXPECT_EQ(listed.size(), 2u);
  EXPECT_NE(std::find(listed.begin(), listed.end(), wallStatus["text"].description()),
            listed.end());
  replyTo(RequestType::RemoveFavorite, strings({id.c_str()}));
  EXPECT_EQ(channelTexts(favourites, RequestType::FavoriteStatuses).size(), 1u);
  // Another account has favourites of its own.
  account->uid = "2010000005";
  EXPECT_TRUE(channelTexts(favourites, RequestType::FavoriteStatuses).empty());
}

TEST_F(WriteRequestsTest, LikedProductsFollowedSeminarPostsAndProductFeedbackAreKept) {
  auto liked = [&] {
    Value page = replyTo(RequestType::LikedProducts, strings({"0", "1", "0"}));
    std::vector<std::string> ids;
    for (size_t i = 0; i < page["statuses"].count(); ++i)
      ids.push_back(page["statuses"][i]["eid"].description());
    return ids;
  };
  EXPECT_TRUE(liked().empty());
  replyTo(RequestType::LikeProduct, strings({kProduct}));
  replyTo(RequestType::LikeProduct, strings({"20002"}));
  EXPECT_EQ(liked(), (std::vector<std::string>{"20002", kProduct}));
  replyTo(RequestType::UnlikeProduct, strings({"20002"}));
  EXPECT_EQ(liked(), std::vector<std::string>{kProduct});

  // Product feedback shows in the product's feedback list.
  postAndWait(RequestType::ProductFeedback, strings({"宝宝用了不红屁屁", kProduct}),
              "/Channels/PostProductFeedback.aspx");
  Value feedback = replyTo(RequestType::ProductFeedbackList, strings({kProduct}));
  ASSERT_TRUE(feedback.isArray());
  ASSERT_GE(feedback.count(), 1u);
  EXPECT_EQ(feedback[0]["c_text"], Value("宝宝用了不红屁屁"));

  // A followed seminar post is in the reader's follow list, and leaves it when unfollowed.
  Value posts = replyTo(RequestType::SeminarPosts, strings({"1", "1", "0", "1"}));
  ASSERT_GE(posts["statuses"].count(), 1u);
  std::string blog = posts["statuses"][0]["c_ziza_blog_Id"].description();
  replyTo(RequestType::FollowSeminarPost, strings({blog.c_str(), kReader, "1"}));
  Value follows = replyTo(RequestType::FollowedSeminarPosts, strings({"1", kReader}));
  ASSERT_EQ(follows.count(), 1u);
  EXPECT_EQ(follows[0]["c_ziza_blog_Id"].description(), blog);
  Value detail =
      replyTo(RequestType::FollowedSeminarPostDetails, strings({"1", kReader, "0", "1"}));
  ASSERT_EQ(detail["statuses"].count(), 1u);
  EXPECT_EQ(detail["statuses"][0]["c_ziza_blog_Id"].description(), blog);
  std::string watchId = follows[0]["c_id"].description();
  replyTo(RequestType::UnfollowSeminarPost, strings({watchId.c_str()}));
  EXPECT_EQ(replyTo(RequestType::FollowedSeminarPosts, strings({"1", kReader})).count(), 0u);
}

}  // namespace
