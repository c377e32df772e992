// The shared texts that records keep: read from a reply without a copy, kept alive by the
// record after the reply is gone, and never changed behind a holder's back.
#include <gtest/gtest.h>

#include <string>

#include "Common/JXKit/NSString+JXKitDeserializing.h"
#include "model/RecordText.h"
#include "model/ZizaJsonStatusParser.h"

namespace {

TEST(RecordText, AStringValuesTextIsSharedAndANumberReadsAsItsDecimalText) {
  const Value reply = objectFromJSONString(R"({"s":"上海 徐汇区","n":1893458120,"z":null})");
  ASSERT_TRUE(reply.isDictionary());
  const Value& s = reply.dictionary()->objectRefForKey("s");
  const RecordText shared = RecordText::stringOf(s);
  EXPECT_EQ(shared, "上海 徐汇区");
  EXPECT_EQ(shared.data(), s.string().data()) << "the reply's bytes, not a copy";

  const Value& n = reply.dictionary()->objectRefForKey("n");
  EXPECT_TRUE(RecordText::stringOf(n).empty());
  EXPECT_EQ(RecordText::textOf(n), "1893458120");
  EXPECT_TRUE(RecordText::textOf(reply.dictionary()->objectRefForKey("z")).empty());
  EXPECT_TRUE(RecordText::textOf(Value()).empty());
}

TEST(RecordText, APartSharesTheWholeAndAStringIsCopied) {
  std::string source = "http://ww2.img.example/thumbnail/1.jpg";
  const RecordText whole(source);
  source.assign(source.size(), 'x');
  EXPECT_EQ(whole, "http://ww2.img.example/thumbnail/1.jpg") << "a later change of the string";

  const RecordText part = whole.substr(7, 15);
  EXPECT_EQ(part, "ww2.img.example");
  EXPECT_EQ(part.data(), whole.data() + 7);
  RecordText moved = RecordText(whole).substr(23);
  EXPECT_EQ(moved, "thumbnail/1.jpg");
  EXPECT_EQ(whole, "http://ww2.img.example/thumbnail/1.jpg") << "a part leaves the whole";

  const RecordText empty;
  EXPECT_TRUE(empty.empty());
  EXPECT_NE(empty.data(), nullptr);
  EXPECT_EQ("@" + whole.substr(0, 4) + ":", "@http:");
  EXPECT_EQ(empty, RecordText(""));
}

// Every text of the records below is shared with the reply, which the parser has dropped by
// the time it returns; the records alone keep the bytes (a memory checker sees a mistake).
TEST(RecordText, ARecordKeepsItsTextsAfterTheReplyAndItsCopiesAfterTheRecord) {
  const std::string reply =
      R"({"id":1,"text":"多晶硅价格回升 [来源：能源报] http://pic.example/2013/1.jpg ",)"
      R"("source":"<a href=\"http://app.example/u/1\" rel=\"nofollow\">行业资讯客户端</a>",)"
      R"("user":{"id":5,"location":"上海 徐汇区","description":"专注光伏",)"
      R"("profile_image_url":"http://tp1.img.example/5/50/1.jpg"},)"
      R"("retweeted_status":{"id":2,"text":"风电%ef%bc%8c同比增长",)"
      R"("thumbnail_pic":"http://ww2.img.example/thumbnail/2.jpg"}})";
  StatusPtr status = ZizaJsonStatusParser::parseToStatus(reply);
  ASSERT_TRUE(status);
  EXPECT_EQ(status->source, "行业资讯客户端");
  ASSERT_TRUE(status->user);
  EXPECT_EQ(status->user->location, "上海 徐汇区");
  EXPECT_EQ(status->user->description, "专注光伏");
  EXPECT_EQ(status->user->profileImageUrl, "http://tp1.img.example/5/50/1.jpg");
  ASSERT_TRUE(status->retweetedStatus);
  const Status& repost = *status->retweetedStatus;
  EXPECT_EQ(repost.text, "风电，同比增长");
  EXPECT_EQ(repost.bmiddlePic, "http://ww2.img.example/bmiddle/2.jpg");
  EXPECT_EQ(repost.originalPic, "http://ww2.img.example/large/2.jpg");

  const RecordText text = status->text;
  const RecordText location = status->user->location;
  status.reset();
  EXPECT_EQ(text, "多晶硅价格回升 [来源：能源报] http://pic.example/2013/1.jpg ");
  EXPECT_EQ(location, "上海 徐汇区");
}

TEST(RecordText, ARepostPictureLeavesTheTextAndTheLargerPicturesShareIt) {
  StatusPtr status = ZizaJsonStatusParser::parseToStatus(
      R"({"id":1,"text":"多晶硅价格回升 [来源：能源报] http://pic.example/2013/1.jpg "})");
  ASSERT_TRUE(status);
  EXPECT_EQ(status->text, "多晶硅价格回升 [来源：能源报]");
  EXPECT_EQ(status->thumbnailPic, "http://pic.example/2013/1.jpg");
  EXPECT_EQ(status->bmiddlePic, status->thumbnailPic);
  EXPECT_EQ(status->originalPic, status->thumbnailPic);
  EXPECT_EQ(status->bmiddlePic.data(), status->thumbnailPic.data()) << "one copy for all three";
}

}  // namespace
