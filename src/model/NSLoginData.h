// The switches the content server sends at login and when the client re-opens its session,
// the channels' update times and the start-up advert.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "Foundation/NSObject.h"
#include "Foundation/Value.h"
#include "model/NSAdInfo.h"

struct NSLoginData : NSObject {
  bool isShowListAd = false;  // adverts in channel lists
  bool isShowAd = false;
  bool isOpenSeminarNeedAccound = false;  // opening a seminar needs a bound account
  bool isShardOdozuEdit = true;           // sharing to the microblog platform opens the editor
  bool isGrayUser = false;                // the server's grouping switch for this client
  bool isOpenZiViNeedAccound = false;     // the interest set-up needs an account
  bool isGrayUserChange = false;
  bool errorLogEnable = false;     // crash reports collected
  bool errorLogSubmit = false;     // crash reports sent
  bool useBehaviorEnable = true;   // usage log collected
  bool useBehaviorSubmit = false;  // usage log sent
  bool isZiViUserLocat = false;
  int32_t pType = 0;  // the reader's profile type from the interest set-up
  // Channel update times: channel ids text -> update time text.  nil until a login reply
  // or the stored record gives one.
  ValueDictionary mDic;
  // mDic as stored in the database: "value|key" entries joined by ";"; empty for none.
  std::string mDicStr;
  std::shared_ptr<NSAdInfo> adInfo;  // the start-up advert
  bool isSession = false;            // a client session is open
  bool isShowAdOk = false;
  bool isShowServerPushOk = false;

  // The stored record, or a new one when nothing is stored.
  static std::shared_ptr<NSLoginData> readFromDB();
  bool isAdInfoExit() const { return adInfo && adInfo->isAdCanDownload(); }
  // Rebuilds mDicStr from mDic (nothing happens while mDic is nil).
  void setDicStr();
  // Rebuilds mDic from mDicStr, keeping only well-formed entries (nothing happens while
  // mDicStr is empty).
  void parseDicStr();
};

using NSLoginDataPtr = std::shared_ptr<NSLoginData>;
