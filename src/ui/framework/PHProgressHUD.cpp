#include "ui/framework/PHProgressHUD.h"

#include "ui/framework/StandInSink.h"

void PHProgressHUD::showPrompt(std::string_view text) {
  reportStandInEvent("PHProgressHUD", "prompt", Value(std::string(text)));
}
