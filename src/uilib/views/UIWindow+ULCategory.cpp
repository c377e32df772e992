#include <string>

#include "Foundation/NSClass.h"
#include "Foundation/NSString.h"
#include "UIKit/UIApplication.h"
#include "UIKit/UITableViewCell.h"
#include "uilib/views/UIView+ULCategory.h"
#include "uilib/views/UIWindow+ULCategory.h"

std::shared_ptr<UIView> findFirstResponder(const std::shared_ptr<UIWindow>& window) {
  return findFirstResponderInView(window);
}

std::shared_ptr<UIView> findFirstResponderInView(const std::shared_ptr<UIView>& view) {
  if (!view) return nullptr;
  if (view->isFirstResponder()) return view;
  for (const auto& child : view->subviews()) {
    if (child->isFirstResponder()) return child;
    if (auto found = findFirstResponderInView(child)) return found;
  }
  return nullptr;
}

bool ULKeyWindowHasFirstResponder() {
  return findFirstResponder(UIApplication::sharedApplication()->keyWindow()) != nullptr;
}

std::shared_ptr<UIView> indexView(const UITableView& table) {
  const NSClass* indexClass = NSClassFromString("UITableViewIndex");
  if (!indexClass) return nullptr;
  const auto& subviews = table.subviews();
  for (auto it = subviews.rbegin(); it != subviews.rend(); ++it)
    if ((*it)->isKindOfClass(*indexClass)) return *it;
  return nullptr;
}

CGFloat tableCellMargin(const UITableView& table) {
  return table.style() == UITableViewStyle::Grouped ? 10 : 0;
}

void scrollToTop(UITableView& table, bool animated) {
  table.setContentOffset(CGPointZero, animated);
}

void scrollToBottom(UITableView& table, bool animated) {
  if (table.numberOfSections() < 1) return;
  long rows = table.numberOfRowsInSection(0);
  if (rows > 0)
    table.scrollToRowAtIndexPath(NSIndexPath::indexPathForRow(rows - 1, 0),
                                 UITableViewScrollPosition::Bottom, animated);
}

void scrollToFirstRow(UITableView& table, bool) {
  if (table.numberOfSections() > 0 && table.numberOfRowsInSection(0) > 0)
    table.scrollToRowAtIndexPath(NSIndexPath::indexPathForRow(0, 0), UITableViewScrollPosition::Top,
                                 false);
}

void scrollToLastRow(UITableView& table, bool) {
  long sections = table.numberOfSections();
  if (sections < 1) return;
  long rows = table.numberOfRowsInSection(sections - 1);
  if (rows > 0)
    table.scrollToRowAtIndexPath(NSIndexPath::indexPathForRow(rows - 1, sections - 1),
                                 UITableViewScrollPosition::Bottom, false);
}

void scrollFirstResponderIntoView(const std::shared_ptr<UITableView>& table) {
  auto window = table->window();
  auto responder = findFirstResponder(window);
  auto cell = std::dynamic_pointer_cast<UITableViewCell>(
      ancestorOrSelfWithClass(responder, UITableViewCell::classObject()));
  if (!cell) return;
  if (auto path = table->indexPathForCell(cell))
    table->scrollToRowAtIndexPath(*path, UITableViewScrollPosition::Middle, true);
}

void touchRowAtIndexPath(const std::shared_ptr<UITableView>& table, const NSIndexPath& indexPath,
                         bool animated) {
  if (!table->cellForRowAtIndexPath(indexPath)) table->reloadData();
  auto delegate = table->delegate().lock();
  if (delegate) delegate->tableViewWillSelectRowAtIndexPath(table, indexPath);
  table->selectRowAtIndexPath(indexPath, animated, UITableViewScrollPosition::Top);
  if (delegate) delegate->tableViewDidSelectRowAtIndexPath(table, indexPath);
}

CGRect frameOfElement(UIWebView& webView, std::string_view expression) {
  std::string script =
      "    var target = " + std::string(expression) +
      ";     var x = 0, y = 0;     for (var n = target; n && n.nodeType == 1; n = "
      "n.offsetParent) {        x += n.offsetLeft;       y += n.offsetTop;     }     x + ',' + "
      "y + ',' + target.offsetWidth + ',' + target.offsetHeight; ";
  auto parts =
      componentsSeparatedByString(webView.stringByEvaluatingJavaScriptFromString(script), ",");
  // A page that answers fewer than four numbers (no such element) reads as zeros.
  auto number = [&](size_t i) {
    return i < parts.size() ? CGFloat(Value(parts[i]).doubleValue()) : CGFloat(0);
  };
  return CGRectMake(number(0), number(1), number(2), number(3));
}
