#include "model/NSProduct.h"

#include "Foundation/NSString.h"

namespace {

std::string withLineBreaks(std::string text) {
  text = stringByReplacingOccurrencesOfString(text, "\\r", "\r");
  return stringByReplacingOccurrencesOfString(text, "\\n", "\n");
}

}  // namespace

std::string NSProduct::getProductInfo() const {
  return withLineBreaks("商品名:" + productName + "\r\n产品描述：" + info + "\r\n申请数量：共" +
                        trialTotalNums + "件\r\n" + trialQuestion);
}

std::string NSProduct::getProductDrawInfo() const {
  return withLineBreaks("【商品名称】\r\n  " + productName + "\r\n【产品描述】\r\n  " + info +
                        "\r\n【申请数量】\r\n  共" + trialTotalNums + "件\r\n【试用要求】\r\n  " +
                        trialQuestion);
}
