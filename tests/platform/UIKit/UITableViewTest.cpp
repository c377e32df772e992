#include <gtest/gtest.h>

#include <cmath>

#include "UIKit/UIButton.h"
#include "UIKit/UIEventDriver.h"
#include "UIKit/UITableView.h"
#include "UIKitTestSupport.h"
#include "support/ui/ScreenDriver.h"

namespace {

using UITableViewTest = UIKitTest;

std::string at(const NSIndexPath& ip) {
  return std::to_string(ip.section) + "." + std::to_string(ip.row);
}

// A table's data source and delegate at once: rows of texts in sections, cells of one reuse
// identifier, and a log of what the table asks.
class Rows : public UITableViewDataSource, public UITableViewDelegate {
 public:
  explicit Rows(std::vector<std::vector<std::string>> sections) : sections(std::move(sections)) {}

  long numberOfSectionsInTableView(const std::shared_ptr<UITableView>&) override {
    add("sections");
    return long(sections.size());
  }
  long tableViewNumberOfRowsInSection(const std::shared_ptr<UITableView>&, long s) override {
    add("rows " + std::to_string(s));
    return long(sections[size_t(s)].size());
  }
  std::shared_ptr<UITableViewCell> tableViewCellForRowAtIndexPath(
      const std::shared_ptr<UITableView>& table, const NSIndexPath& ip) override {
    add("cell " + at(ip));
    auto cell = table->dequeueReusableCellWithIdentifier("Cell");
    if (!cell) {
      cell = std::make_shared<UITableViewCell>(UITableViewCellStyle::Default, "Cell");
      ++made;
    }
    cell->textLabel()->setText(sections[size_t(ip.section)][size_t(ip.row)]);
    return cell;
  }
  std::string tableViewTitleForHeaderInSection(const std::shared_ptr<UITableView>&,
                                               long s) override {
    return s < long(titles.size()) ? titles[size_t(s)] : "";
  }
  CGFloat tableViewHeightForRowAtIndexPath(const std::shared_ptr<UITableView>&,
                                           const NSIndexPath& ip) override {
    add("height " + at(ip));
    return heights ? heights(ip) : -1;
  }
  CGFloat tableViewHeightForHeaderInSection(const std::shared_ptr<UITableView>&, long s) override {
    add("header " + std::to_string(s));
    return -1;
  }
  CGFloat tableViewHeightForFooterInSection(const std::shared_ptr<UITableView>&, long s) override {
    add("footer " + std::to_string(s));
    return -1;
  }
  void tableViewWillDisplayCellForRowAtIndexPath(const std::shared_ptr<UITableView>&,
                                                 const std::shared_ptr<UITableViewCell>&,
                                                 const NSIndexPath& ip) override {
    add("display " + at(ip));
  }
  std::optional<NSIndexPath> tableViewWillSelectRowAtIndexPath(const std::shared_ptr<UITableView>&,
                                                               const NSIndexPath& ip) override {
    add("willSelect " + at(ip));
    if (refuse && *refuse == ip) return std::nullopt;
    return ip;
  }
  void tableViewDidSelectRowAtIndexPath(const std::shared_ptr<UITableView>&,
                                        const NSIndexPath& ip) override {
    add("didSelect " + at(ip));
  }
  std::optional<NSIndexPath> tableViewWillDeselectRowAtIndexPath(
      const std::shared_ptr<UITableView>&, const NSIndexPath& ip) override {
    add("willDeselect " + at(ip));
    return ip;
  }
  void tableViewDidDeselectRowAtIndexPath(const std::shared_ptr<UITableView>&,
                                          const NSIndexPath& ip) override {
    add("didDeselect " + at(ip));
  }
  void tableViewWillBeginEditingRowAtIndexPath(const std::shared_ptr<UITableView>&,
                                               const NSIndexPath& ip) override {
    add("willBeginEditing " + at(ip));
  }
  void tableViewDidEndEditingRowAtIndexPath(const std::shared_ptr<UITableView>&,
                                            const NSIndexPath& ip) override {
    add("didEndEditing " + at(ip));
  }
  void tableViewAccessoryButtonTappedForRowWithIndexPath(const std::shared_ptr<UITableView>&,
                                                         const NSIndexPath& ip) override {
    add("accessory " + at(ip));
  }
  void tableViewCommitEditingStyleForRowAtIndexPath(const std::shared_ptr<UITableView>& table,
                                                    UITableViewCellEditingStyle style,
                                                    const NSIndexPath& ip) override {
    add("commit " + at(ip));
    if (style != UITableViewCellEditingStyle::Delete) return;
    auto& rows = sections[size_t(ip.section)];
    rows.erase(rows.begin() + ip.row);
    table->deleteRowsAtIndexPaths({ip}, UITableViewRowAnimation::Left);
  }
  void tableViewMoveRowAtIndexPathToIndexPath(const std::shared_ptr<UITableView>&,
                                              const NSIndexPath& from,
                                              const NSIndexPath& to) override {
    add("move " + at(from) + " " + at(to));
    auto text = sections[size_t(from.section)][size_t(from.row)];
    auto& src = sections[size_t(from.section)];
    src.erase(src.begin() + from.row);
    auto& dst = sections[size_t(to.section)];
    dst.insert(dst.begin() + to.row, text);
  }
  bool respondsToSelector(std::string_view name) const override {
    return editable && (name == "tableView:commitEditingStyle:forRowAtIndexPath:" ||
                        name == "tableView:moveRowAtIndexPath:toIndexPath:");
  }
  std::vector<std::string> sectionIndexTitlesForTableView(
      const std::shared_ptr<UITableView>&) override {
    return indexTitles;
  }

  void scrollViewDidScroll(const std::shared_ptr<UIScrollView>&) override {
    if (onScroll) onScroll();
  }
  void scrollViewDidEndDecelerating(const std::shared_ptr<UIScrollView>&) override {
    add("didEndDecelerating");
  }

  void add(std::string line) {
    if (logging) log.push_back(std::move(line));
  }

  std::vector<std::vector<std::string>> sections;
  std::vector<std::string> titles, indexTitles;
  std::function<CGFloat(const NSIndexPath&)> heights;
  std::function<void()> onScroll;
  std::optional<NSIndexPath> refuse;
  bool editable = false;
  bool logging = true;
  Log log;
  int made = 0;
};

std::vector<std::string> numbered(int n, const std::string& prefix = "行") {
  std::vector<std::string> out;
  for (int i = 0; i < n; ++i) out.push_back(prefix + std::to_string(i));
  return out;
}

struct Stage {
  std::shared_ptr<UIWindow> window = showWindow();
  std::shared_ptr<Rows> rows;
  std::shared_ptr<UITableView> table;
  Stage(std::vector<std::vector<std::string>> data,
        UITableViewStyle style = UITableViewStyle::Plain, CGRect frame = CGRectMake(0, 0, 320, 480))
      : rows(std::make_shared<Rows>(std::move(data))),
        table(std::make_shared<UITableView>(frame, style)) {
    table->setDataSource(rows);
    table->setDelegate(rows);
    window->addSubview(table);
  }
  // The texts of the rows on screen, top to bottom.
  std::vector<std::string> shown() {
    std::vector<std::string> out;
    for (const auto& c : table->visibleCells()) out.push_back(c->textLabel()->text());
    return out;
  }
};

TEST_F(UITableViewTest, LoadingAsksCountsAndEveryHeightBeforeTheCellsOnScreen) {
  Stage s({{"一", "二"}, {"三"}});
  s.rows->titles = {"甲", ""};
  s.table->layoutIfNeeded();
  EXPECT_EQ(s.rows->log,
            (Log{"sections", "header 0", "footer 0", "rows 0", "height 0.0", "height 0.1",
                 "header 1", "footer 1", "rows 1", "height 1.0", "cell 0.0", "display 0.0",
                 "cell 0.1", "display 0.1", "cell 1.0", "display 1.0"}));
  // Section 0 has a title: its header is 22 high in a plain table; section 1 has none.
  EXPECT_EQ(s.table->contentSize(), CGSizeMake(320, 22 + 44 * 3));
  EXPECT_EQ(s.table->rectForRowAtIndexPath({1, 0}), CGRectMake(0, 22 + 88, 320, 44));
  EXPECT_EQ(s.shown(), (std::vector<std::string>{"一", "二", "三"}));
  EXPECT_EQ(s.table->dump(),
            "UITableView frame=(0 0; 320 480) contentSize=(320 154)\n"
            "  UITableViewCell frame=(0 22; 320 44) reuse=\"Cell\"\n"
            "    UITableViewCellContentView frame=(0 0; 320 43)\n"
            "      UILabel frame=(10 0; 300 43) text=\"一\"\n"
            "  UITableViewCell frame=(0 66; 320 44) reuse=\"Cell\"\n"
            "    UITableViewCellContentView frame=(0 0; 320 43)\n"
            "      UILabel frame=(10 0; 300 43) text=\"二\"\n"
            "  UITableViewCell frame=(0 110; 320 44) reuse=\"Cell\"\n"
            "    UITableViewCellContentView frame=(0 0; 320 43)\n"
            "      UILabel frame=(10 0; 300 43) text=\"三\"\n"
            "  UITableViewHeaderFooterView frame=(0 0; 320 22)\n"
            "    UILabel frame=(12 0; 296 22) text=\"甲\"\n");
}

TEST_F(UITableViewTest, ADragOnAHundredRowsDeceleratesToRestWithFewCells) {
  Stage s({numbered(100)});
  s.rows->logging = false;
  size_t mostShown = 0, mostHeld = 0;
  s.rows->onScroll = [&] {
    mostShown = std::max(mostShown, s.table->indexPathsForVisibleRows().size());
    size_t held = 0;
    for (const auto& v : s.table->subviews())
      held += bool(std::dynamic_pointer_cast<UITableViewCell>(v));
    mostHeld = std::max(mostHeld, held);
  };
  s.table->layoutIfNeeded();
  EXPECT_EQ(s.rows->made, 11);  // 480 / 44: ten rows and a part
  ScreenDriver::drag(CGPointMake(160, 400), CGPointMake(160, 100), 0.3);
  EXPECT_TRUE(s.table->isDecelerating());
  double start = MainLoop::now();
  while (s.table->isDecelerating() && MainLoop::now() - start < 10) ScreenDriver::wait(0.1);
  EXPECT_FALSE(s.table->isDecelerating());
  s.rows->logging = true;
  ScreenDriver::wait(1);
  EXPECT_TRUE(s.rows->log.empty());  // at rest: nothing more asked
  CGFloat rest = s.table->contentOffset().y;
  EXPECT_GT(rest, 600);
  EXPECT_LT(rest, 900);
  // Never more cells than the rows on screen plus one, in the table or made at all.
  EXPECT_LE(mostShown, 12u);
  EXPECT_LE(mostHeld, mostShown);
  EXPECT_LE(size_t(s.rows->made), mostShown + 1);
  auto first = s.table->indexPathsForVisibleRows().front();
  EXPECT_EQ(first.row, long(rest / 44));
  EXPECT_EQ(s.shown().front(), "行" + std::to_string(first.row));
}

TEST_F(UITableViewTest, VariableHeightsAndFindingRows) {
  Stage s({numbered(1000)});
  s.rows->logging = false;
  s.rows->heights = [](const NSIndexPath& ip) {
    return CGFloat(20 + ip.row % 3 * 10);
  };  // 20 30 40
  s.table->layoutIfNeeded();
  EXPECT_EQ(s.table->contentSize().height, 333 * 90 + 20);
  EXPECT_EQ(s.table->rectForRowAtIndexPath({0, 4}), CGRectMake(0, 90 + 20, 320, 30));
  EXPECT_EQ(*s.table->indexPathForRowAtPoint({5, 91}), (NSIndexPath{0, 3}));
  EXPECT_FALSE(s.table->indexPathForRowAtPoint({5, 1e6}));
  s.table->setContentOffset({0, 9000});
  auto rows = s.table->indexPathsForVisibleRows();
  EXPECT_EQ(rows.front(), (NSIndexPath{0, 300}));  // 100 × 90 = 9000
  EXPECT_EQ(rows.back(), (NSIndexPath{0, 316}));   // 9480 falls in row 316
  EXPECT_EQ(s.table->indexPathsForRowsInRect(CGRectMake(0, 9000, 320, 90)).size(), 3u);
}

TEST_F(UITableViewTest, TenThousandRowsAskEveryHeightButOnlyTheCellsOnScreen) {
  Stage s({numbered(10000)});
  s.rows->heights = [](const NSIndexPath& ip) { return CGFloat(20 + ip.row % 5 * 10); };
  auto count = [&](const std::string& prefix) {
    return std::count_if(s.rows->log.begin(), s.rows->log.end(),
                         [&](const auto& l) { return l.rfind(prefix, 0) == 0; });
  };
  s.table->reloadData();
  s.table->layoutIfNeeded();
  EXPECT_EQ(count("height "), 10000);
  EXPECT_EQ(count("cell "), long(s.table->indexPathsForVisibleRows().size()));
  s.rows->log.clear();
  s.table->setContentOffset({0, 200000});
  s.table->layoutIfNeeded();
  EXPECT_EQ(count("height "), 0);
  EXPECT_EQ(count("cell "), long(s.table->indexPathsForVisibleRows().size()));
  EXPECT_EQ(s.table->indexPathsForVisibleRows().front().row,
            200000 / 200 * 5);  // five rows: 200 points
}

TEST_F(UITableViewTest, ScrollingToARowPlacesItAsAsked) {
  struct Case {
    UITableViewScrollPosition position;
    long row;
    CGFloat from, expected;
  };
  const std::vector<Case> cases = {
      {UITableViewScrollPosition::Top, 20, 0, 880},
      {UITableViewScrollPosition::Middle, 20, 0, 880 + 22 - 240},
      {UITableViewScrollPosition::Bottom, 20, 0, 880 + 44 - 480},
      {UITableViewScrollPosition::None, 5, 0, 0},                // on screen already
      {UITableViewScrollPosition::None, 20, 0, 880 + 44 - 480},  // below: to the bottom
      {UITableViewScrollPosition::None, 2, 1000, 88},            // above: to the top
      {UITableViewScrollPosition::Top, 99, 0, 4400 - 480},       // no further than the end
  };
  for (const auto& c : cases) {
    UIApplicationDriver::reset();
    Stage s({numbered(100)});
    s.table->setContentOffset({0, c.from});
    s.table->scrollToRowAtIndexPath({0, c.row}, c.position, false);
    EXPECT_EQ(s.table->contentOffset().y, c.expected) << int(c.position) << " " << c.row;
  }
  Stage s({numbered(100)});
  s.table->scrollToRowAtIndexPath({0, 50}, UITableViewScrollPosition::Top, true);
  ScreenDriver::wait(0.5);
  EXPECT_EQ(s.table->contentOffset().y, 2200);
}

TEST_F(UITableViewTest, TappingRowsSelectsThemInThePlatformsOrder) {
  Stage s({numbered(20)});
  s.table->layoutIfNeeded();
  s.rows->log.clear();
  ASSERT_TRUE(ScreenDriver::tapText("行1"));
  EXPECT_EQ(s.rows->log, (Log{"willSelect 0.1", "didSelect 0.1"}));
  EXPECT_TRUE(s.table->cellForRowAtIndexPath({0, 1})->isSelected());
  EXPECT_EQ(*s.table->indexPathForSelectedRow(), (NSIndexPath{0, 1}));
  s.rows->log.clear();
  ScreenDriver::wait(1);
  ScreenDriver::tapText("行3");
  EXPECT_EQ(s.rows->log,
            (Log{"willSelect 0.3", "willDeselect 0.1", "didDeselect 0.1", "didSelect 0.3"}));
  EXPECT_FALSE(s.table->cellForRowAtIndexPath({0, 1})->isSelected());
  // A row the delegate refuses is not selected; a drag selects nothing.
  s.rows->log.clear();
  s.rows->refuse = NSIndexPath{0, 4};
  ScreenDriver::wait(1);
  ScreenDriver::tapText("行4");
  EXPECT_EQ(s.rows->log, Log{"willSelect 0.4"});
  EXPECT_EQ(*s.table->indexPathForSelectedRow(), (NSIndexPath{0, 3}));
  s.rows->log.clear();
  ScreenDriver::drag(CGPointMake(160, 300), CGPointMake(160, 250), 0.3);
  for (const auto& line : s.rows->log) EXPECT_EQ(line.find("Select"), std::string::npos) << line;
  // Deselecting by hand tells no one.
  s.rows->log.clear();
  s.table->deselectRowAtIndexPath({0, 3}, true);
  EXPECT_FALSE(s.table->indexPathForSelectedRow());
  EXPECT_TRUE(s.rows->log.empty());
}

TEST_F(UITableViewTest, ATouchedRowLightsUpUntilTheFingerLifts) {
  Stage s({numbered(20)});
  auto cell = s.table->cellForRowAtIndexPath({0, 2});
  CGPoint p;
  ASSERT_TRUE(ScreenDriver::visiblePoint(cell, p));
  UIEventDriver::touchDown(p);
  ScreenDriver::wait(0.2);  // past the scroll view's wait
  EXPECT_TRUE(cell->isHighlighted());
  EXPECT_TRUE(cell->textLabel()->isHighlighted());
  EXPECT_TRUE(cell->selectedBackgroundView());
  UIEventDriver::touchUp(p);
  EXPECT_FALSE(cell->isHighlighted());
  EXPECT_TRUE(cell->isSelected());
  cell->setSelectionStyle(UITableViewCellSelectionStyle::None);
  EXPECT_FALSE(cell->textLabel()->isHighlighted());
}

TEST_F(UITableViewTest, SwipingLeftOnARowShowsItsDeleteButton) {
  Stage s({numbered(20)});
  s.rows->editable = true;
  s.table->layoutIfNeeded();
  s.rows->log.clear();
  auto cell = s.table->cellForRowAtIndexPath({0, 3});
  ASSERT_TRUE(ScreenDriver::swipe(cell, UISwipeGestureRecognizerDirectionLeft));
  EXPECT_EQ(s.rows->log, Log{"willBeginEditing 0.3"});
  EXPECT_TRUE(cell->showingDeleteConfirmation());
  EXPECT_EQ(*s.table->rowShowingDeleteConfirmation(), (NSIndexPath{0, 3}));
  auto button = ScreenDriver::findText("删除");
  ASSERT_TRUE(button);
  EXPECT_EQ(button, cell->deleteConfirmationButton());
  EXPECT_EQ(s.table->contentOffset().y, 0);  // the swipe did not scroll
  // Tapping the button deletes the row; the cell leaves when its animation ends.
  s.rows->log.clear();
  ScreenDriver::wait(1);
  ASSERT_TRUE(ScreenDriver::tap(button));
  EXPECT_EQ(s.rows->log[0], "commit 0.3");
  EXPECT_EQ(s.rows->log.back(), "didEndEditing 0.3");
  EXPECT_EQ(s.table->numberOfRowsInSection(0), 19);
  EXPECT_EQ(s.table->cellForRowAtIndexPath({0, 3})->textLabel()->text(), "行4");
  EXPECT_EQ(cell->superview(), s.table);  // still sliding away
  EXPECT_FALSE(cell->showingDeleteConfirmation());
  ScreenDriver::wait(UITableView::kRowAnimationDuration);
  EXPECT_EQ(cell->superview(), nullptr);
  EXPECT_EQ(s.shown()[3], "行4");
}

TEST_F(UITableViewTest, AnyOtherTouchTakesTheDeleteButtonAway) {
  Stage s({numbered(20)});
  s.rows->editable = true;
  ScreenDriver::swipe(s.table->cellForRowAtIndexPath({0, 3}),
                      UISwipeGestureRecognizerDirectionLeft);
  s.rows->log.clear();
  ScreenDriver::wait(1);
  ScreenDriver::tapText("行6");
  EXPECT_EQ(s.rows->log, Log{"didEndEditing 0.3"});  // and no selection
  EXPECT_FALSE(s.table->rowShowingDeleteConfirmation());
  EXPECT_FALSE(ScreenDriver::findText("删除"));
  // A data source that does not delete rows gets no delete button.
  s.rows->editable = false;
  s.rows->log.clear();
  ScreenDriver::wait(1);
  ScreenDriver::swipe(s.table->cellForRowAtIndexPath({0, 3}),
                      UISwipeGestureRecognizerDirectionLeft);
  for (const auto& line : s.rows->log) EXPECT_EQ(line.find("Editing"), std::string::npos) << line;
  EXPECT_FALSE(s.table->rowShowingDeleteConfirmation());
}

TEST_F(UITableViewTest, ChangesKeepTheCellsOfRowsThatStay) {
  Stage s({numbered(5)});
  s.table->layoutIfNeeded();
  auto keep2 = s.table->cellForRowAtIndexPath({0, 2});
  auto gone1 = s.table->cellForRowAtIndexPath({0, 1});
  auto reloaded3 = s.table->cellForRowAtIndexPath({0, 3});
  // Delete row 1, insert a new row at 0, reload old row 3: numbered before / after.
  auto& data = s.rows->sections[0];
  data.erase(data.begin() + 1);
  data.insert(data.begin(), "新");
  data[3] = "行3改";
  s.rows->log.clear();
  s.table->beginUpdates();
  s.table->deleteRowsAtIndexPaths({{0, 1}}, UITableViewRowAnimation::Fade);
  s.table->insertRowsAtIndexPaths({{0, 0}}, UITableViewRowAnimation::Fade);
  s.table->reloadRowsAtIndexPaths({{0, 3}}, UITableViewRowAnimation::None);
  EXPECT_TRUE(s.rows->log.empty());  // nothing happens before endUpdates
  s.table->endUpdates();
  EXPECT_EQ(s.shown(), (std::vector<std::string>{"新", "行0", "行2", "行3改", "行4"}));
  EXPECT_EQ(s.table->cellForRowAtIndexPath({0, 2}), keep2);
  EXPECT_NE(s.table->cellForRowAtIndexPath({0, 3}), reloaded3);
  EXPECT_EQ(gone1->alpha(), 0);  // fading out
  ScreenDriver::wait(UITableView::kRowAnimationDuration);
  EXPECT_EQ(gone1->superview(), nullptr);
  EXPECT_EQ(gone1->alpha(), 1);
  // Counts that do not add up reload everything instead of failing.
  data.push_back("多");
  data.push_back("又多");
  s.table->insertRowsAtIndexPaths({{0, 5}}, UITableViewRowAnimation::None);
  EXPECT_EQ(s.shown().size(), 7u);
  // Sections come and go too.
  s.rows->sections.insert(s.rows->sections.begin(), {"甲", "乙"});
  s.table->insertSections({0}, UITableViewRowAnimation::Top);
  EXPECT_EQ(s.table->numberOfSections(), 2);
  EXPECT_EQ(s.shown().front(), "甲");
  s.rows->sections.erase(s.rows->sections.begin());
  s.table->deleteSections({0}, UITableViewRowAnimation::Top);
  EXPECT_EQ(s.shown().front(), "新");
}

TEST_F(UITableViewTest, InEditingModeRowsShowTheirControlsAndMove) {
  Stage s({numbered(6)});
  s.rows->editable = true;
  s.table->setEditing(true, false);
  auto cell = s.table->cellForRowAtIndexPath({0, 1});
  EXPECT_TRUE(cell->isEditing());
  EXPECT_EQ(cell->editingStyle(), UITableViewCellEditingStyle::Delete);
  EXPECT_TRUE(cell->showsReorderControl());
  cell->layoutIfNeeded();
  EXPECT_EQ(cell->contentView()->frame(), CGRectMake(UITableViewCell::kEditControlWidth, 0,
                                                     320 - UITableViewCell::kEditControlWidth -
                                                         UITableViewCell::kReorderControlWidth,
                                                     43));
  // Dragging row 1's reorder control down two rows moves it there.
  s.rows->log.clear();
  CGPoint grip = cell->convertPointToView(CGPointMake(300, 22), nullptr);
  ScreenDriver::drag(grip, CGPointMake(grip.x, grip.y + 88), 0.3);
  EXPECT_EQ(s.rows->log, Log{"move 0.1 0.3"});
  EXPECT_EQ(s.shown(), (std::vector<std::string>{"行0", "行2", "行3", "行1", "行4", "行5"}));
  EXPECT_EQ(s.table->cellForRowAtIndexPath({0, 3}), cell);
  EXPECT_EQ(cell->frame().origin.y, 3 * 44);
  // The red control at the left brings the delete button.
  s.rows->log.clear();
  auto other = s.table->cellForRowAtIndexPath({0, 0});
  ScreenDriver::tap(other->convertPointToView(CGPointMake(16, 22), nullptr));
  EXPECT_TRUE(other->showingDeleteConfirmation());
  EXPECT_EQ(s.rows->log, Log{"willBeginEditing 0.0"});
  s.table->setEditing(false, false);
  EXPECT_FALSE(other->isEditing());
  EXPECT_FALSE(other->showingDeleteConfirmation());
}

TEST_F(UITableViewTest, CellStylesLayTheirLabelsOut) {
  struct Case {
    UITableViewCellStyle style;
    UITableViewCellAccessoryType accessory;
    CGRect text, detail, content;
  };
  const std::vector<Case> cases = {
      {UITableViewCellStyle::Default,
       UITableViewCellAccessoryType::None,
       {{10, 0}, {300, 44}},
       CGRectZero,
       {{0, 0}, {320, 44}}},
      {UITableViewCellStyle::Default,
       UITableViewCellAccessoryType::DisclosureIndicator,
       {{10, 0}, {275, 44}},
       CGRectZero,
       {{0, 0}, {295, 44}}},
      {UITableViewCellStyle::Value2,
       UITableViewCellAccessoryType::None,
       {{10, 0}, {67, 44}},
       {{83, 0}, {227, 44}},
       {{0, 0}, {320, 44}}},
  };
  for (const auto& c : cases) {
    auto cell = std::make_shared<UITableViewCell>(c.style);
    cell->setAccessoryType(c.accessory);
    cell->textLabel()->setText("名");
    if (cell->detailTextLabel()) cell->detailTextLabel()->setText("值");
    cell->setFrame(CGRectMake(0, 0, 320, 44));
    cell->layoutIfNeeded();
    EXPECT_EQ(cell->contentView()->frame(), c.content) << int(c.style);
    EXPECT_EQ(cell->textLabel()->frame(), c.text) << int(c.style);
    if (cell->detailTextLabel()) {
      EXPECT_EQ(cell->detailTextLabel()->frame(), c.detail) << int(c.style);
    }
  }
  // Value 1: the detail keeps to the right, as wide as its text.
  auto cell = std::make_shared<UITableViewCell>(UITableViewCellStyle::Value1);
  cell->detailTextLabel()->setText("值");
  cell->layoutIfNeeded();
  CGRect d = cell->detailTextLabel()->frame();
  EXPECT_EQ(CGRectGetMaxX(d), 310);
  EXPECT_LT(d.size.width, 40);
  // Subtitle: the detail under the text.
  auto sub = std::make_shared<UITableViewCell>(UITableViewCellStyle::Subtitle);
  sub->detailTextLabel()->setText("说明");
  sub->layoutIfNeeded();
  EXPECT_EQ(sub->detailTextLabel()->frame().origin.y, CGRectGetMaxY(sub->textLabel()->frame()));
}

TEST_F(UITableViewTest, TheDetailButtonTellsTheDelegate) {
  Stage s({numbered(3)});
  s.table->layoutIfNeeded();
  auto cell = s.table->cellForRowAtIndexPath({0, 1});
  cell->setAccessoryType(UITableViewCellAccessoryType::DetailDisclosureButton);
  s.rows->log.clear();
  ASSERT_TRUE(ScreenDriver::tap(cell->shownAccessoryView()));
  EXPECT_EQ(s.rows->log, Log{"accessory 0.1"});  // and no selection
}

TEST_F(UITableViewTest, GroupedTablesInsetTheirRowsAndPlainOnesPinTheirHeaders) {
  Stage grouped({{"a", "b", "c"}, {"d"}}, UITableViewStyle::Grouped);
  grouped.rows->titles = {"第一组", ""};
  grouped.table->layoutIfNeeded();
  // Header: 10 of space and 36 for the title; the second section's header is space only.
  EXPECT_EQ(grouped.table->rectForRowAtIndexPath({0, 0}), CGRectMake(10, 46, 300, 44));
  EXPECT_EQ(grouped.table->rectForRowAtIndexPath({1, 0}),
            CGRectMake(10, 46 + 3 * 44 + 10 + 10, 300, 44));
  EXPECT_TRUE(ScreenDriver::findText("第一组"));

  UIApplicationDriver::reset();
  Stage plain({numbered(20, "a"), numbered(20, "b")});
  plain.rows->titles = {"A", "B"};
  plain.table->setContentOffset({0, 300});
  plain.table->layoutIfNeeded();
  auto header = ScreenDriver::findText("A")->superview();
  EXPECT_EQ(header->frame().origin.y, 300);  // pinned to the top of the view
  plain.table->setContentOffset({0, 22 + 20 * 44 - 10});
  plain.table->layoutIfNeeded();
  // Pushed up by the end of its section; B's header follows.
  EXPECT_EQ(header->frame().origin.y, 22 + 20 * 44 - 22);
  EXPECT_TRUE(ScreenDriver::findText("B"));
}

TEST_F(UITableViewTest, TheSectionIndexJumpsToItsSection) {
  Stage s({numbered(20, "a"), numbered(20, "b"), numbered(20, "c")});
  s.rows->indexTitles = {"A", "B", "C"};
  s.table->layoutIfNeeded();
  auto index = s.table->sectionIndexView();
  ASSERT_TRUE(index);
  EXPECT_EQ(index->className(), "UITableViewIndex");
  CGRect f = index->convertRectToView(index->bounds(), nullptr);
  ScreenDriver::tap(CGPointMake(CGRectGetMidX(f), CGRectGetMinY(f) + f.size.height * 5 / 6));
  EXPECT_EQ(s.table->contentOffset().y, s.table->rectForSection(2).origin.y);
}

TEST_F(UITableViewTest, ReuseHandsOutCellsOfTheSameIdentifierPrepared) {
  class Tracked : public UITableViewCell {
   public:
    using UITableViewCell::UITableViewCell;
    void prepareForReuse() override {
      ++prepared;
      UITableViewCell::prepareForReuse();
    }
    int prepared = 0;
  };
  auto table = std::make_shared<UITableView>(CGRectMake(0, 0, 320, 100));
  EXPECT_EQ(table->dequeueReusableCellWithIdentifier("A"), nullptr);
  class Source : public UITableViewDataSource {
   public:
    long tableViewNumberOfRowsInSection(const std::shared_ptr<UITableView>&, long) override {
      return 50;
    }
    std::shared_ptr<UITableViewCell> tableViewCellForRowAtIndexPath(
        const std::shared_ptr<UITableView>& t, const NSIndexPath& ip) override {
      std::string id = ip.row % 2 ? "B" : "A";
      auto cell = std::dynamic_pointer_cast<Tracked>(t->dequeueReusableCellWithIdentifier(id));
      if (cell) {
        EXPECT_EQ(cell->reuseIdentifier(), id);
      }
      if (!cell) cell = std::make_shared<Tracked>(UITableViewCellStyle::Default, id);
      cells.insert(cell.get());
      return cell;
    }
    std::set<UITableViewCell*> cells;
  };
  auto source = std::make_shared<Source>();
  table->setDataSource(source);
  for (int y = 0; y <= 1500; y += 10) {
    table->setContentOffset({0, CGFloat(y)});
    table->layoutIfNeeded();
  }
  EXPECT_LE(source->cells.size(), 6u);  // three rows on screen at a time, two kinds
  int prepared = 0;
  for (auto* c : source->cells) prepared += static_cast<Tracked*>(c)->prepared;
  EXPECT_GT(prepared, 25);
}

}  // namespace
