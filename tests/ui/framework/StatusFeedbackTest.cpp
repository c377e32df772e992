// The status-bar message window, the feedback sounds (read from the audio sink) and the spin of
// refresh buttons, on the virtual clock.
#include <gtest/gtest.h>

#include <fstream>
#include <numbers>

#include "AVFoundation/AVAudioPlayer.h"
#include "AVFoundation/AVAudioSession.h"
#include "Foundation/NSBundle.h"
#include "Foundation/NSPathUtilities.h"
#include "Foundation/NSUserDefaults.h"
#include "QuartzCore/CAAnimation.h"
#include "QuartzCore/CALayer.h"
#include "UIKit/UIActivityIndicatorView.h"
#include "UIKit/UIApplication.h"
#include "UIKit/UIImageView.h"
#include "UIKit/UILabel.h"
#include "core/NSObject+notification.h"
#include "core/StoredKeys.h"
#include "core/UIBkImageView.h"
#include "support/MainLoop.h"
#include "support/StandInRecorder.h"
#include "ui/framework/CHStatusBar.h"
#include "ui/framework/NSStatusShow.h"

namespace {

using Texts = std::vector<std::string>;

class StatusFeedbackTest : public ::testing::Test {
 protected:
  void SetUp() override {
    MainLoop::install();
    stand = StandInRecorder::install();
    show = NSStatusShow::engine();
    show->mainTimer();
    setSounds(true);
  }
  static void setSounds(bool on) {
    NSUserDefaults::standardUserDefaults()->setInteger(on ? 1 : 2, kVoiceKey);
  }
  static double now() { return NSRunLoop::mainRunLoop()->clock()->now(); }
  std::shared_ptr<StandInRecorder> stand;
  std::shared_ptr<NSStatusShow> show;
};

TEST_F(StatusFeedbackTest, AMessageShowsOverTheStatusBarWithTheSpinnerAndAnOkMessageWithTheIcon) {
  auto bar = CHStatusBar::create();
  EXPECT_TRUE(bar->isHidden());
  EXPECT_EQ(bar->windowLevel(), UIWindowLevelStatusBar + 1);
  EXPECT_EQ(bar->frame(), CGRectMake(0, 0, 320, 20));
  EXPECT_EQ(bar->indicator()->activityIndicatorViewStyle(), UIActivityIndicatorViewStyle::Gray);

  bar->showWithStatusMessage("正在发送…");
  EXPECT_EQ(StandInRecorder::shownStatusBars(), Texts{"message:正在发送…"});
  EXPECT_EQ(bar->dump(),
            "CHStatusBar frame=(0 0; 320 20)\n"
            "  UIImageView frame=(0 0; 320 20) image=\"statusbar_background.png\"\n"
            "  UIActivityIndicatorView frame=(2 3; 10 10) animating\n"
            "  UILabel frame=(20 0; 300 20) text=\"正在发送…\"\n"
            "  UIImageView frame=(0 18; 320 2) image=\"networkload\"\n"
            "  UIImageView frame=(0 0; 20 20) hidden image=\"okicon\"\n");

  bar->showWithStatusOk("发送成功");
  EXPECT_EQ(StandInRecorder::shownStatusBars(), Texts{"ok:发送成功"});
  EXPECT_EQ(bar->dump(),
            "CHStatusBar frame=(0 0; 320 20)\n"
            "  UIImageView frame=(0 0; 320 20) image=\"statusbar_background.png\"\n"
            "  UIActivityIndicatorView frame=(2 3; 10 10) hidden\n"
            "  UILabel frame=(20 0; 300 20) text=\"发送成功\"\n"
            "  UIImageView frame=(0 18; 320 2) image=\"networkload\"\n"
            "  UIImageView frame=(0 0; 20 20) image=\"okicon\"\n");

  // A nil text leaves the text and only takes the icon away.
  bar->showWithStatusMessage(std::nullopt);
  EXPECT_FALSE(bar->isOkShown());
  EXPECT_EQ(bar->text(), "发送成功");
}

TEST_F(StatusFeedbackTest, TheLoadingLineSlidesAcrossEachSecondUntilTheWindowGoes) {
  auto bar = CHStatusBar::create();
  bar->showWithStatusMessage("正在发送…");
  EXPECT_TRUE(bar->isSliding());
  MainLoop::advance(1.0);
  auto slides = UIView::runningAnimations();
  ASSERT_FALSE(slides.empty());
  EXPECT_EQ(slides.back().animationID, "rawReadAnimation");
  EXPECT_EQ(bar->netload()->frame().origin, CGPointMake(320, 18));

  bar->hide();
  EXPECT_FALSE(bar->isSliding());
  EXPECT_FALSE(bar->isSpinning());
  MainLoop::advance(0.49);
  EXPECT_FALSE(bar->isHidden());
  MainLoop::advance(0.01);
  EXPECT_TRUE(bar->isHidden());
}

TEST_F(StatusFeedbackTest, SharedMessagesLeaveTheScreenAfterTheirTime) {
  show->showMsgOK("已保存");
  EXPECT_EQ(StandInRecorder::shownStatusBars(), Texts{"ok:已保存"});
  EXPECT_FALSE(show->statuL()->isSpinning());
  MainLoop::advance(1.8);
  EXPECT_EQ(StandInRecorder::shownStatusBars(), Texts{"ok:已保存"});
  MainLoop::advance(0.11);
  EXPECT_TRUE(StandInRecorder::shownStatusBars().empty());

  show->showMsgUnClose("正在刷新");
  MainLoop::advance(5);
  EXPECT_EQ(StandInRecorder::shownStatusBars(), Texts{"message:正在刷新"});
  show->removeView();
  MainLoop::advance(0.5);
  EXPECT_TRUE(StandInRecorder::shownStatusBars().empty());
}

TEST_F(StatusFeedbackTest, ASecondSoundStopsTheFirstAndAFinishedSoundDropsItsPlayer) {
  EXPECT_EQ(AVAudioSession::sharedInstance()->category(), AVAudioSessionCategoryAmbient);
  EXPECT_TRUE(AVAudioSession::sharedInstance()->isActive());
  show->guanzhuSound();
  MainLoop::advance(0.1);
  show->delectSound();
  auto played = AVAudioSink::playbacks();
  ASSERT_EQ(played.size(), 2u);
  EXPECT_EQ(played[0].resource, "guanzhu.caf");
  EXPECT_EQ(played[1].resource, "shanchu.caf");
  ASSERT_TRUE(played[0].stop);
  EXPECT_EQ(*played[0].stop, played[1].start);
  EXPECT_FALSE(played[1].stop);

  ASSERT_NE(show->myPlayer(), nullptr);
  const double length = show->myPlayer()->duration();
  EXPECT_GT(length, 0);
  MainLoop::advance(length);
  EXPECT_EQ(show->myPlayer(), nullptr);
  ASSERT_TRUE(AVAudioSink::playbacks()[1].stop);
  EXPECT_NEAR(*AVAudioSink::playbacks()[1].stop - played[1].start, length, 1e-3);
}

TEST_F(StatusFeedbackTest, EachSoundPlaysItsResourceAndTheSentSoundObeysTheSetting) {
  show->pindaoSound();
  show->playSound();
  show->playAudio(true);
  show->playAudio(false);
  EXPECT_EQ(StandInRecorder::sounds(),
            (Texts{"Tink.caf", "SIMToolkitPositiveACK.caf", "SentMessage.caf", "shake.caf"}));

  // Off: nothing plays and the sound playing goes on.
  setSounds(false);
  auto playing = show->myPlayer();
  show->playAudio(true);
  EXPECT_EQ(StandInRecorder::sounds().size(), 4u);
  EXPECT_EQ(show->myPlayer(), playing);
  EXPECT_TRUE(playing->isPlaying());
}

class Listener : public AVAudioPlayerDelegate {
 public:
  std::vector<std::string> heard;
  void audioPlayerDidFinishPlaying(AVAudioPlayer&, bool ok) override {
    heard.push_back(ok ? "finished" : "failed");
  }
  void audioPlayerDecodeErrorDidOccur(AVAudioPlayer&, const std::string&) override {
    heard.push_back("decode error");
  }
};

TEST_F(StatusFeedbackTest, AFileThatIsNoSoundIsADecodeErrorAndAMissingOneNoPlayer) {
  std::string error;
  EXPECT_EQ(AVAudioPlayer::playerWithContentsOfFile("/nonexistent/none.caf", &error), nullptr);
  EXPECT_FALSE(error.empty());

  std::string path = NSTemporaryDirectory() + "/not-a-sound.caf";
  std::ofstream(path) << "caff but not really";
  auto player = AVAudioPlayer::playerWithContentsOfFile(path);
  ASSERT_NE(player, nullptr);
  auto listener = std::make_shared<Listener>();
  player->setDelegate(listener);
  EXPECT_FALSE(player->play());
  MainLoop::advance(0.01);
  EXPECT_EQ(listener->heard, Texts{"decode error"});
  EXPECT_TRUE(AVAudioSink::playbacks().empty());

  // Releasing a playing player stops its sound.
  auto tink = AVAudioPlayer::playerWithContentsOfFile(
      NSBundle::mainBundle()->pathForResource("Tink", "caf"));
  ASSERT_NE(tink, nullptr);
  tink->play();
  tink.reset();
  ASSERT_EQ(AVAudioSink::playbacks().size(), 1u);
  EXPECT_EQ(AVAudioSink::playbacks()[0].stop, std::optional<double>(now()));
}

TEST_F(StatusFeedbackTest, RefreshButtonsTurnUntilTheRefreshEnds) {
  auto button = std::make_shared<UIView>(CGRectMake(0, 0, 24, 24));
  show->startViewRotAnimation(button, true);
  auto turn = std::dynamic_pointer_cast<CABasicAnimation>(
      button->layer()->animationForKey("spinAnimation"));
  ASSERT_NE(turn, nullptr);
  EXPECT_EQ(turn->keyPath(), "transform.rotation");
  EXPECT_EQ(turn->toValue(), CAValue(-4 * std::numbers::pi));
  EXPECT_DOUBLE_EQ(turn->duration(), 0.8);
  show->startViewRotAnimation(button, false);
  turn = std::dynamic_pointer_cast<CABasicAnimation>(
      button->layer()->animationForKey("spinAnimation"));
  EXPECT_EQ(turn->toValue(), CAValue(4 * std::numbers::pi));
  MainLoop::advance(0.8);
  EXPECT_EQ(button->layer()->animationForKey("spinAnimation"), nullptr);

  // Twice: still one turn each 0.8 s; the refresh's end lets the turn under way finish.
  show->setViewRotAnimation(button);
  show->setViewRotAnimation(button);
  turn = std::dynamic_pointer_cast<CABasicAnimation>(
      button->layer()->animationForKey("spinAnimation"));
  ASSERT_NE(turn, nullptr);
  EXPECT_EQ(turn->toValue(), CAValue(2 * std::numbers::pi));
  MainLoop::advance(0.8);
  auto next = button->layer()->animationForKey("spinAnimation");
  ASSERT_NE(next, nullptr);
  EXPECT_EQ(next->beginTime(), now());
  MainLoop::advance(0.4);
  postNotification("main_timer_animal");
  EXPECT_FALSE(show->isSpinning());
  EXPECT_NE(button->layer()->animationForKey("spinAnimation"), nullptr);
  MainLoop::advance(0.4);
  EXPECT_EQ(button->layer()->animationForKey("spinAnimation"), nullptr);
  MainLoop::advance(1.6);
  EXPECT_EQ(button->layer()->animationForKey("spinAnimation"), nullptr);
}

}  // namespace
