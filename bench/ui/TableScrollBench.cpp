// One scroll step of a table of 10,000 rows beside the same step of a table of 100 rows: the
// offset moves by 7 points and the table lays out its cells (rows going off give their cells to
// rows coming on; the cells' labels lay out).  Rows of both tables have the same variable
// heights (20 to 40 points) and both scroll through the same first 2,500 points, so the two
// differ only in their size.  Ratio of one run:
//   large_vs_small = a step of the 10,000-row table / a step of the 100-row table
//                    (target: at most 1.2: the cost follows the rows on screen)
#include <benchmark/benchmark.h>

#include <chrono>
#include <string>

#include "UIKit/UIApplicationDriver.h"
#include "UIKit/UITableView.h"
#include "UIKit/UIWindow.h"

namespace {

class Rows : public UITableViewDataSource, public UITableViewDelegate {
 public:
  explicit Rows(long count) : count_(count) {}
  long tableViewNumberOfRowsInSection(const std::shared_ptr<UITableView>&, long) override {
    return count_;
  }
  std::shared_ptr<UITableViewCell> tableViewCellForRowAtIndexPath(
      const std::shared_ptr<UITableView>& table, const NSIndexPath& ip) override {
    auto cell = table->dequeueReusableCellWithIdentifier("Cell");
    if (!cell) cell = std::make_shared<UITableViewCell>(UITableViewCellStyle::Subtitle, "Cell");
    cell->textLabel()->setText("第 " + std::to_string(ip.row) + " 行");
    cell->detailTextLabel()->setText("Row " + std::to_string(ip.row));
    return cell;
  }
  CGFloat tableViewHeightForRowAtIndexPath(const std::shared_ptr<UITableView>&,
                                           const NSIndexPath& ip) override {
    return CGFloat(20 + (ip.row * 7) % 21);
  }

 private:
  long count_;
};

struct Table {
  std::shared_ptr<Rows> rows;
  std::shared_ptr<UITableView> view;
  Table(long count, const std::shared_ptr<UIWindow>& window)
      : rows(std::make_shared<Rows>(count)),
        view(std::make_shared<UITableView>(CGRectMake(0, 0, 320, 480))) {
    view->setDataSource(rows);
    view->setDelegate(rows);
    window->addSubview(view);
    view->layoutIfNeeded();
  }
  void step(CGFloat y) {
    view->setContentOffset({0, y});
    view->layoutIfNeeded();
  }
};

using Clock = std::chrono::steady_clock;

double since(Clock::time_point start) {
  return std::chrono::duration<double, std::micro>(Clock::now() - start).count();
}

void BM_TableScrollStep(benchmark::State& state) {
  auto window = std::make_shared<UIWindow>(CGRectMake(0, 0, 320, 480));
  window->makeKeyAndVisible();
  Table large(10000, window), small(100, window);
  double largeUs = 0, smallUs = 0;
  size_t steps = 0;
  CGFloat y = 0;
  for (auto _ : state) {
    y = y + 7 > 2500 ? 0 : y + 7;
    // Alternate who goes first, so neither gains from the other's warm caches.
    for (int turn = 0; turn < 2; ++turn) {
      bool largeNow = (turn == 0) == (steps % 2 == 0);
      auto t = Clock::now();
      (largeNow ? large : small).step(y);
      (largeNow ? largeUs : smallUs) += since(t);
    }
    ++steps;
  }
  state.counters["large_us"] = largeUs / double(steps);
  state.counters["small_us"] = smallUs / double(steps);
  state.counters["large_vs_small"] = largeUs / smallUs;
  UIApplicationDriver::reset();
}
BENCHMARK(BM_TableScrollStep)->Iterations(20000)->Repetitions(5)->Unit(benchmark::kMicrosecond);

}  // namespace
