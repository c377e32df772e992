#include "ui/framework/NSStatusShow.h"

#include <numbers>

#include "AVFoundation/AVAudioSession.h"
#include "Foundation/NSBundle.h"
#include "Foundation/NSThread.h"
#include "Foundation/NSTimer.h"
#include "QuartzCore/CAAnimation.h"
#include "QuartzCore/CALayer.h"
#include "UIKit/UIView.h"
#include "core/NSObject+notification.h"
#include "core/UIBkImageView.h"
#include "ui/framework/CHStatusBar.h"

namespace {
constexpr double kTurn = 0.8;
constexpr double kMessageTime = 1.4;
}  // namespace

NSStatusShow::NSStatusShow() : statuL_(CHStatusBar::create()) {
  auto session = AVAudioSession::sharedInstance();
  session->setCategory(AVAudioSessionCategoryAmbient);
  session->setActive(true);
}

std::shared_ptr<NSStatusShow> NSStatusShow::engine() {
  static std::shared_ptr<NSStatusShow> shared = [] {
    auto made = std::make_shared<NSStatusShow>();
    std::weak_ptr<NSStatusShow> weak = made;
    addObserverWithSelector(weak,
                            Selector("mainTimer:", weak,
                                     [weak](const Value&) {
                                       if (auto s = weak.lock()) s->mainTimer();
                                     }),
                            "main_timer_animal");
    return made;
  }();
  return shared;
}

// ---- messages

void NSStatusShow::removeViewLater() {
  std::weak_ptr<NSStatusShow> weak = weakSelf<NSStatusShow>();
  performAfterDelay(
      [weak] {
        if (auto s = weak.lock()) s->removeView();
      },
      kMessageTime);
}

void NSStatusShow::showMsg(const std::string& text) {
  statuL_->showWithStatusMessage(text);
  removeViewLater();
}

void NSStatusShow::showMsgOK(const std::string& text) {
  statuL_->showWithStatusOk(text);
  removeViewLater();
}

void NSStatusShow::showMsgUnClose(const std::string& text) {
  statuL_->showWithStatusMessage(text);
}

void NSStatusShow::showMsgUnCloseTimer(const std::string& text) {
  statuL_->showWithStatusMessageTimer(text);
}

void NSStatusShow::removeView() {
  statuL_->hide();
}

// ---- sounds

void NSStatusShow::guanzhuSound() {
  play("guanzhu");
}

void NSStatusShow::delectSound() {
  play("shanchu");
}

void NSStatusShow::pindaoSound() {
  play("Tink");
}

void NSStatusShow::playSound() {
  play("SIMToolkitPositiveACK");
}

void NSStatusShow::playAudio(bool sent) {
  if (!UIBkImageView::getCurSelect(9)) return;
  play(sent ? "SentMessage" : "shake");
}

void NSStatusShow::dropPlayer() {
  if (!myPlayer_) return;
  auto player = std::move(myPlayer_);
  player->setDelegate({});
  player->stop();
}

void NSStatusShow::play(const std::string& resource) {
  dropPlayer();
  std::string path = NSBundle::mainBundle()->pathForResource(resource, "caf");
  if (path.empty()) return;
  myPlayer_ = AVAudioPlayer::playerWithContentsOfFile(path);
  if (!myPlayer_) return;
  myPlayer_->setDelegate(std::static_pointer_cast<AVAudioPlayerDelegate>(self<NSStatusShow>()));
  myPlayer_->prepareToPlay();
  myPlayer_->play();
}

void NSStatusShow::audioPlayerDidFinishPlaying(AVAudioPlayer& player, bool) {
  if (myPlayer_.get() == &player) dropPlayer();
}

void NSStatusShow::audioPlayerDecodeErrorDidOccur(AVAudioPlayer& player, const std::string&) {
  if (myPlayer_.get() == &player) dropPlayer();
}

// ---- spins

namespace {
void addTurn(UIView& view, double angle) {
  auto spin = CABasicAnimation::animationWithKeyPath("transform.rotation");
  spin->setToValue(angle);
  spin->setDuration(kTurn);
  view.layer()->addAnimation(spin, "spinAnimation");
}
}  // namespace

void NSStatusShow::startViewRotAnimation(const std::shared_ptr<UIView>& view, bool left) {
  if (!view) return;
  addTurn(*view, (left ? -4 : 4) * std::numbers::pi);
}

void NSStatusShow::setViewRotAnimation(const std::shared_ptr<UIView>& view) {
  if (timer_) timer_->invalidate();
  timer_.reset();
  std::weak_ptr<UIView> weakView = view;
  std::weak_ptr<NSStatusShow> weak = weakSelf<NSStatusShow>();
  timer_ = NSTimer::scheduledTimerWithTimeInterval(
      kTurn, true, [weak, weakView](const std::shared_ptr<NSTimer>&) {
        if (auto s = weak.lock()) s->startAnimal(weakView);
      });
  startAnimal(weakView);
}

void NSStatusShow::startAnimal(const std::weak_ptr<UIView>& weakView) {
  if (!timer_) return;
  if (auto view = weakView.lock()) addTurn(*view, 2 * std::numbers::pi);
}

void NSStatusShow::mainTimer() {
  if (timer_) timer_->invalidate();
  timer_.reset();
}
