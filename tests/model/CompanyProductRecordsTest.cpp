// The product texts for sharing and for the recommendation row.
#include <gtest/gtest.h>

#include "model/NSProduct.h"

namespace {

NSProduct trial() {
  NSProduct p;
  p.productName = "奶瓶";
  p.info = "第一句。\\n第二句。";
  p.trialTotalNums = "20";
  p.trialQuestion = "要求\\r\\n写评测";
  return p;
}

TEST(NSProduct, EscapedLineBreaksInTheServersTextsBecomeRealOnes) {
  EXPECT_EQ(trial().getProductInfo(),
            "商品名:奶瓶\r\n产品描述：第一句。\n第二句。\r\n申请数量：共20件\r\n要求\r\n写评测");
  EXPECT_EQ(trial().getProductDrawInfo(),
            "【商品名称】\r\n  奶瓶\r\n【产品描述】\r\n  第一句。\n第二句。\r\n【申请数量】\r\n  "
            "共20件\r\n【试用要求】\r\n  要求\r\n写评测");
}

TEST(NSProduct, AnEmptyProductStillFillsTheFormat) {
  NSProduct empty;
  EXPECT_EQ(empty.getProductInfo(), "商品名:\r\n产品描述：\r\n申请数量：共件\r\n");
  // A backslash before any other letter stays.
  empty.info = "a\\tb\\";
  EXPECT_EQ(empty.getProductInfo(), "商品名:\r\n产品描述：a\\tb\\\r\n申请数量：共件\r\n");
}

}  // namespace
