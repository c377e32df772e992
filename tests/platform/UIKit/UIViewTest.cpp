#include <gtest/gtest.h>

#include "Foundation/NSClass.h"
#include "UIKit/UIImageView.h"
#include "UIKit/UILabel.h"
#include "UIKit/UIView.h"
#include "UIKit/UIWindow.h"
#include "UIKitTestSupport.h"

namespace {

std::shared_ptr<UIView> tagged(long tag, CGRect frame = CGRectMake(0, 0, 10, 10)) {
  auto v = std::make_shared<UIView>(frame);
  v->setTag(tag);
  return v;
}

std::vector<long> tagsOf(const std::shared_ptr<UIView>& parent) {
  std::vector<long> tags;
  for (const auto& v : parent->subviews()) tags.push_back(v->tag());
  return tags;
}

class CountingView : public UIView {
 public:
  using UIView::UIView;
  void layoutSubviews() override { ++layouts; }
  int layouts = 0;
};

using UIViewTest = UIKitTest;

TEST_F(UIViewTest, ThePlatformsClassesAreFoundByNameAndMakeTheirObjects) {
  struct Case {
    const char* name;
    const char* superclass;
  };
  for (const Case& c : std::vector<Case>{{"UIView", "UIResponder"},
                                         {"UILabel", "UIView"},
                                         {"UIImageView", "UIView"},
                                         {"UIButton", "UIControl"},
                                         {"UIWindow", "UIView"},
                                         {"UIViewController", "UIResponder"},
                                         {"UINavigationController", "UIViewController"},
                                         {"CALayer", "NSObject"}}) {
    SCOPED_TRACE(c.name);
    const NSClass* cls = NSClassFromString(c.name);
    ASSERT_NE(cls, nullptr);
    ASSERT_NE(cls->superclass(), nullptr);
    EXPECT_EQ(cls->superclass()->name(), c.superclass);
    auto object = cls->makeInstance();
    ASSERT_NE(object, nullptr);
    EXPECT_EQ(object->className(), c.name);
    EXPECT_TRUE(object->isKindOfClass("NSObject"));
  }
  auto label = std::dynamic_pointer_cast<UILabel>(NSClassFromString("UILabel")->makeInstance());
  ASSERT_NE(label, nullptr);
  EXPECT_TRUE(label->isKindOfClass(UIView::classObject()));
  EXPECT_EQ(label->layer()->className(), "CALayer");
}

TEST_F(UIViewTest, SubviewOrderFollowsEveryInsertion) {
  auto parent = std::make_shared<UIView>();
  auto a = tagged(1), b = tagged(2), c = tagged(3), d = tagged(4), e = tagged(5);
  parent->addSubview(a);
  parent->addSubview(b);
  parent->addSubview(c);
  EXPECT_EQ(tagsOf(parent), (std::vector<long>{1, 2, 3}));

  parent->insertSubview(d, 1);
  EXPECT_EQ(tagsOf(parent), (std::vector<long>{1, 4, 2, 3}));
  parent->insertSubview(e, 99);  // past the end: on top
  EXPECT_EQ(tagsOf(parent), (std::vector<long>{1, 4, 2, 3, 5}));

  parent->insertSubviewAboveSubview(a, c);  // moving within the same parent
  EXPECT_EQ(tagsOf(parent), (std::vector<long>{4, 2, 3, 1, 5}));
  parent->insertSubviewBelowSubview(e, d);
  EXPECT_EQ(tagsOf(parent), (std::vector<long>{5, 4, 2, 3, 1}));

  parent->bringSubviewToFront(d);
  EXPECT_EQ(tagsOf(parent), (std::vector<long>{5, 2, 3, 1, 4}));
  parent->sendSubviewToBack(a);
  EXPECT_EQ(tagsOf(parent), (std::vector<long>{1, 5, 2, 3, 4}));
  parent->addSubview(a);  // adding a subview again brings it to the front
  EXPECT_EQ(tagsOf(parent), (std::vector<long>{5, 2, 3, 4, 1}));

  // A view that is not a subview: front/back do nothing, above/below add it on top.
  auto stranger = tagged(9);
  parent->bringSubviewToFront(stranger);
  EXPECT_EQ(stranger->superview(), nullptr);
  auto f = tagged(6);
  parent->insertSubviewBelowSubview(f, stranger);
  EXPECT_EQ(tagsOf(parent), (std::vector<long>{5, 2, 3, 4, 1, 6}));

  // Views named by a reference into the very list that changes.
  parent->bringSubviewToFront(parent->subviews().front());
  EXPECT_EQ(tagsOf(parent), (std::vector<long>{2, 3, 4, 1, 6, 5}));
  parent->insertSubview(parent->subviews()[0], 3);  // counted among the others
  EXPECT_EQ(tagsOf(parent), (std::vector<long>{3, 4, 1, 2, 6, 5}));
  auto other = std::make_shared<UIView>();
  other->addSubview(parent->subviews()[0]);
  EXPECT_EQ(tagsOf(parent), (std::vector<long>{4, 1, 2, 6, 5}));
  EXPECT_EQ(tagsOf(other), (std::vector<long>{3}));
  parent->insertSubviewBelowSubview(parent->subviews()[4], parent->subviews()[1]);
  EXPECT_EQ(tagsOf(parent), (std::vector<long>{4, 5, 1, 2, 6}));
}

TEST_F(UIViewTest, MovingAndRemovingKeepTheBackPointersRight) {
  auto first = std::make_shared<UIView>(), second = std::make_shared<UIView>();
  auto child = tagged(7);
  first->addSubview(child);
  EXPECT_EQ(child->superview(), first);

  second->addSubview(child);  // taken from its old parent
  EXPECT_TRUE(first->subviews().empty());
  EXPECT_EQ(child->superview(), second);

  std::weak_ptr<UIView> weakChild = child;
  child.reset();
  weakChild.lock()->removeFromSuperview();  // the parent held the last reference
  EXPECT_TRUE(weakChild.expired());
  EXPECT_TRUE(second->subviews().empty());

  // A child outliving its parent no longer points at it.
  auto orphan = tagged(8);
  {
    auto parent = std::make_shared<UIView>();
    parent->addSubview(orphan);
  }
  EXPECT_EQ(orphan->superview(), nullptr);
  orphan->removeFromSuperview();  // harmless
}

TEST_F(UIViewTest, AViewCannotBeAddedBelowItself) {
  auto root = tagged(1), middle = tagged(2), leaf = tagged(3);
  root->addSubview(middle);
  middle->addSubview(leaf);
  leaf->addSubview(root);
  middle->addSubview(middle);
  leaf->insertSubview(middle, 0);
  EXPECT_EQ(root->superview(), nullptr);
  EXPECT_EQ(middle->superview(), root);
  EXPECT_TRUE(leaf->subviews().empty());
  EXPECT_TRUE(leaf->isDescendantOfView(root));
  EXPECT_FALSE(root->isDescendantOfView(leaf));
}

TEST_F(UIViewTest, ViewWithTagSearchesSelfFirstThenDepthFirstInOrder) {
  auto root = tagged(1);
  auto left = tagged(2), right = tagged(5);
  auto deepInLeft = tagged(5), leftLeaf = tagged(3);
  root->addSubview(left);
  root->addSubview(right);
  left->addSubview(leftLeaf);
  leftLeaf->addSubview(deepInLeft);

  EXPECT_EQ(root->viewWithTag(1), root);
  // The deep match of the earlier subtree wins over the shallow one of a later subtree.
  EXPECT_EQ(root->viewWithTag(5), deepInLeft);
  EXPECT_EQ(right->viewWithTag(5), right);
  EXPECT_EQ(root->viewWithTag(3), leftLeaf);
  EXPECT_EQ(root->viewWithTag(42), nullptr);
  EXPECT_EQ(left->viewWithTag(1), nullptr);  // never looks upwards
}

TEST_F(UIViewTest, DumpShowsTheTreeWithWhatDiffersFromTheDefaults) {
  auto window = std::make_shared<UIWindow>(CGRectMake(0, 0, 320, 480));
  auto splash = std::make_shared<UIImageView>(CGRectMake(0, 20, 320, 460));
  splash->setTag(1013);
  splash->setImage(UIImage::imageNamed("Default"));
  auto panel = std::make_shared<UIView>(CGRectMake(95, 20, 225, 460));
  panel->setHidden(true);
  panel->setAlpha(0.5);
  auto label = std::make_shared<UILabel>(CGRectMake(10.5, 0, 100, 20));
  label->setText("say \"hi\"\nagain");
  window->addSubview(panel);
  panel->addSubview(label);
  window->addSubview(splash);
  window->makeKeyAndVisible();
  window->setTransform(CGAffineTransformMakeScale(0.5, 0.5));

  EXPECT_EQ(window->dump(),
            "UIWindow frame=(80 120; 160 240) transform=[0.5 0 0 0.5 0 0]\n"
            "  UIView frame=(95 20; 225 460) hidden alpha=0.5\n"
            "    UILabel frame=(10.5 0; 100 20) text=\"say \\\"hi\\\"\\nagain\"\n"
            "  UIImageView frame=(0 20; 320 460) tag=1013 image=\"Default\"\n");
  EXPECT_EQ(panel->dump(),
            "UIView frame=(95 20; 225 460) hidden alpha=0.5\n"
            "  UILabel frame=(10.5 0; 100 20) text=\"say \\\"hi\\\"\\nagain\"\n");
  EXPECT_EQ(std::make_shared<UIWindow>()->dump(), "UIWindow frame=(0 0; 0 0) hidden\n");
}

TEST_F(UIViewTest, FrameCenterBoundsAndTransformStayConsistent) {
  auto v = std::make_shared<UIView>(CGRectMake(10, 20, 100, 50));
  EXPECT_EQ(v->center(), CGPointMake(60, 45));
  EXPECT_EQ(v->bounds(), CGRectMake(0, 0, 100, 50));

  v->setCenter(CGPointMake(0, 0));
  EXPECT_EQ(v->frame(), CGRectMake(-50, -25, 100, 50));

  // The exit animation's shrink: a full-screen window scaled to 0.01 around its center.
  auto window = std::make_shared<UIWindow>(CGRectMake(0, 0, 320, 480));
  window->setTransform(CGAffineTransformScale(CGAffineTransformIdentity, 0.01, 0.01));
  CGRect f = window->frame();
  EXPECT_NEAR(f.origin.x, 158.4, 1e-9);
  EXPECT_NEAR(f.origin.y, 237.6, 1e-9);
  EXPECT_NEAR(f.size.width, 3.2, 1e-9);
  EXPECT_NEAR(f.size.height, 4.8, 1e-9);
  EXPECT_EQ(window->bounds(), CGRectMake(0, 0, 320, 480));

  // Setting the frame of a scaled view sets the unscaled bounds.
  v->setTransform(CGAffineTransformMakeScale(2, 0.5));
  v->setFrame(CGRectMake(0, 0, 200, 10));
  EXPECT_EQ(v->bounds().size, CGSizeMake(100, 20));
  EXPECT_EQ(v->center(), CGPointMake(100, 5));
  v->setTransform(CGAffineTransformIdentity);
  EXPECT_EQ(v->frame(), CGRectMake(50, -5, 100, 20));

  // A translation moves the frame but not the center.
  v->setTransform(CGAffineTransformMakeTranslation(-320, 0));
  EXPECT_EQ(v->frame(), CGRectMake(-270, -5, 100, 20));
  EXPECT_EQ(v->center(), CGPointMake(100, 5));

  // A quarter turn swaps the frame's sides.
  v->setTransform(CGAffineTransformMakeRotation(M_PI / 2));
  EXPECT_NEAR(v->frame().size.width, 20, 1e-9);
  EXPECT_NEAR(v->frame().size.height, 100, 1e-9);

  v->setAlpha(1.5);
  EXPECT_EQ(v->alpha(), 1);
  v->setAlpha(-1);
  EXPECT_EQ(v->alpha(), 0);
}

TEST_F(UIViewTest, DefaultsOfTheViewClasses) {
  EXPECT_TRUE(UIView().isUserInteractionEnabled());
  EXPECT_FALSE(UILabel().isUserInteractionEnabled());
  EXPECT_FALSE(UIImageView().isUserInteractionEnabled());
  EXPECT_TRUE(UIWindow().isHidden());
  UIView v;
  EXPECT_EQ(v.alpha(), 1);
  EXPECT_FALSE(v.isHidden());
  EXPECT_FALSE(v.clipsToBounds());
  EXPECT_EQ(v.tag(), 0);
  EXPECT_EQ(v.autoresizingMask(), UIViewAutoresizingNone);
  EXPECT_TRUE(CGAffineTransformIsIdentity(v.transform()));
}

TEST_F(UIViewTest, WindowIsFoundFromAnyDepth) {
  auto window = std::make_shared<UIWindow>(CGRectMake(0, 0, 320, 480));
  auto outer = std::make_shared<UIView>(), inner = std::make_shared<UIView>();
  outer->addSubview(inner);
  EXPECT_EQ(inner->window(), nullptr);
  window->addSubview(outer);
  EXPECT_EQ(inner->window(), window);
  EXPECT_EQ(window->window(), window);
  outer->removeFromSuperview();
  EXPECT_EQ(inner->window(), nullptr);
}

TEST_F(UIViewTest, BringingTheFrontSubviewToTheFrontAsksNoLayout) {
  auto window = std::make_shared<UIWindow>(CGRectMake(0, 0, 320, 480));
  auto parent = std::make_shared<CountingView>(CGRectMake(0, 0, 100, 100));
  window->addSubview(parent);
  auto back = tagged(1);
  auto front = tagged(2);
  parent->addSubview(back);
  parent->addSubview(front);
  MainLoop::pump();
  int layouts = parent->layouts;
  parent->bringSubviewToFront(front);
  MainLoop::pump();
  EXPECT_EQ(parent->layouts, layouts);
  parent->bringSubviewToFront(back);
  MainLoop::pump();
  EXPECT_EQ(parent->layouts, layouts + 1);
  EXPECT_EQ(tagsOf(parent), (std::vector<long>{2, 1}));
}

TEST_F(UIViewTest, LayoutRunsOnTheNextPassAfterASizeChangeInAWindow) {
  auto window = std::make_shared<UIWindow>(CGRectMake(0, 0, 320, 480));
  auto view = std::make_shared<CountingView>(CGRectMake(0, 0, 100, 100));
  window->addSubview(view);
  MainLoop::pump();
  EXPECT_EQ(view->layouts, 1);  // a new view is laid out once
  MainLoop::pump();
  EXPECT_EQ(view->layouts, 1);

  view->setFrame(CGRectMake(50, 50, 100, 100));  // moved only
  MainLoop::pump();
  EXPECT_EQ(view->layouts, 1);

  view->setFrame(CGRectMake(50, 50, 120, 100));
  view->setBounds(CGRectMake(0, 0, 130, 100));
  EXPECT_EQ(view->layouts, 1);  // not inside the call
  MainLoop::pump();
  EXPECT_EQ(view->layouts, 2);  // once for both changes

  view->setNeedsLayout();
  view->layoutIfNeeded();
  EXPECT_EQ(view->layouts, 3);
  MainLoop::pump();
  EXPECT_EQ(view->layouts, 3);

  // Outside a window only layoutIfNeeded (or a dump) lays out.
  auto loose = std::make_shared<CountingView>(CGRectMake(0, 0, 10, 10));
  loose->setNeedsLayout();
  MainLoop::pump();
  EXPECT_EQ(loose->layouts, 0);
  loose->dump();
  EXPECT_EQ(loose->layouts, 1);
}

TEST_F(UIViewTest, AddingASubviewLaysOutTheParent) {
  auto window = std::make_shared<UIWindow>(CGRectMake(0, 0, 320, 480));
  auto parent = std::make_shared<CountingView>(CGRectMake(0, 0, 100, 100));
  window->addSubview(parent);
  MainLoop::pump();
  ASSERT_EQ(parent->layouts, 1);
  auto child = std::make_shared<UIView>();
  parent->addSubview(child);
  MainLoop::pump();
  EXPECT_EQ(parent->layouts, 2);
  child->removeFromSuperview();
  MainLoop::pump();
  EXPECT_EQ(parent->layouts, 3);
}

}  // namespace
