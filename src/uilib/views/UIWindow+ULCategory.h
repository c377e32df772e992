// The library's additions to windows, tables and web views: the first-responder search, table
// scrolling and simulated row taps, and where an element of a web page stands.
#pragma once

#include <memory>
#include <string_view>

#include "Foundation/NSIndexPath.h"
#include "UIKit/UITableView.h"
#include "UIKit/UIWebView.h"
#include "UIKit/UIWindow.h"

// findFirstResponder: the window's first responder, searched from the window down; nullptr
// when none.
std::shared_ptr<UIView> findFirstResponder(const std::shared_ptr<UIWindow>& window);
// findFirstResponderInView: the view when it is the first responder; else, for each subview
// in order, the subview when it is, else what a search of it finds (depth first).
std::shared_ptr<UIView> findFirstResponderInView(const std::shared_ptr<UIView>& view);
// Whether the application's key window has a first responder.
bool ULKeyWindowHasFirstResponder();

// ---- tables
// The table's section index: its last subview of the class named "UITableViewIndex".
std::shared_ptr<UIView> indexView(const UITableView& table);
// 10 for a grouped table, else 0.
CGFloat tableCellMargin(const UITableView& table);
// Content offset (0, 0).
void scrollToTop(UITableView& table, bool animated);
// The last row of section 0 at the bottom, when that section has rows.
void scrollToBottom(UITableView& table, bool animated);
// Row 0 of the first section at the top / the last row of the last section at the bottom,
// when there are rows; neither animates, whatever the flag says.
void scrollToFirstRow(UITableView& table, bool animated);
void scrollToLastRow(UITableView& table, bool animated);
// The cell holding the window's first responder, scrolled to the middle (animated).
void scrollFirstResponderIntoView(const std::shared_ptr<UITableView>& table);
// A tap on the row as the delegate would hear it: the table reloads when it has no cell for
// the row; then the delegate's will-select (which may redirect or refuse), the selection
// (position top) and did-select.
void touchRowAtIndexPath(const std::shared_ptr<UITableView>& table, const NSIndexPath& indexPath,
                         bool animated);

// ---- web views
// frameOfElement: the page rectangle (x, y, width, height) of the element the JavaScript
// expression yields, as the page answers the measuring script; the parts it does not answer
// read as 0.
CGRect frameOfElement(UIWebView& webView, std::string_view expression);
