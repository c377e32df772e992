// The credentials sheet as a user meets it: what it says, one Login answering every request
// that waits for the same credentials, and the next host's sheet after the first is gone;
// and the download request that carries its table row.
#include <gtest/gtest.h>

#include "EngineTestSupport.h"
#include "Foundation/NSPathUtilities.h"
#include "UIKit/UIButton.h"
#include "UIKit/UILabel.h"
#include "UIKit/UINavigationBar.h"
#include "UIKit/UIScreen.h"
#include "UIKit/UITextField.h"
#include "UIKit/UIWindow.h"
#include "net/http/HXAuthenticationDialog.h"
#include "net/http/HXDownloadFile.h"
#include "support/TestHTTPServer.h"

using enginetest::bodyOr;
using enginetest::Exchange;
using enginetest::runMainLoopFor;
using enginetest::runMainLoopUntil;
using testsupport::TestHTTPReply;
using testsupport::TestHTTPRequest;
using testsupport::TestHTTPServer;

namespace {

void basicGate(TestHTTPServer& server, const std::string& path) {
  std::string expected = "Basic " + HXHTTPRequest::base64forData("ann:s3cret");
  server.on(path, [expected](const TestHTTPRequest& r) {
    if (r.header("Authorization") == expected) return TestHTTPReply::text("welcome");
    TestHTTPReply challenge = TestHTTPReply::text("who are you?", 401);
    challenge.headers = {{"WWW-Authenticate", "Basic realm=\"staff\""}};
    return challenge;
  });
}

std::unique_ptr<Exchange> start(const std::string& url) {
  auto e = std::make_unique<Exchange>(url);
  e->request->setShouldPresentAuthenticationDialog(true);
  e->request->startAsynchronous();
  return e;
}

// The sheets are presented from the application's first window.
std::shared_ptr<UIWindow> appWindow() {
  auto window = std::make_shared<UIWindow>(UIScreen::mainScreen()->bounds());
  window->makeKeyAndVisible();
  return window;
}

std::shared_ptr<HXAuthenticationDialog> waitForSheet(
    const std::shared_ptr<HXAuthenticationDialog>& previous = nullptr) {
  EXPECT_TRUE(runMainLoopUntil([&] {
    auto d = HXAuthenticationDialog::currentDialog();
    return d && d != previous;
  }));
  return HXAuthenticationDialog::currentDialog();
}

// Taps the bar's button with that title.
void tapBarButton(const HXAuthenticationDialog& sheet, std::string_view title) {
  for (auto& v : sheet.navigationBar()->subviews())
    if (auto b = std::dynamic_pointer_cast<UIButton>(v); b && b->currentTitle() == title) {
      b->sendActionsForControlEvents(UIControlEventTouchUpInside);
      return;
    }
  ADD_FAILURE() << "no button " << title;
}

std::string texts(const std::shared_ptr<UIView>& view) {
  std::string out;
  std::function<void(const std::shared_ptr<UIView>&)> walk = [&](const std::shared_ptr<UIView>& v) {
    if (auto label = std::dynamic_pointer_cast<UILabel>(v); label && !label->text().empty())
      out += label->text() + "|";
    if (auto field = std::dynamic_pointer_cast<UITextField>(v))
      out += "[" + field->placeholder() + "]|";
    for (auto& s : v->subviews()) walk(s);
  };
  walk(view);
  return out;
}

}  // namespace

TEST(HXAuthenticationDialog, OneLoginAnswersEveryRequestForTheSameRealmAndTheNextHostWaits) {
  auto window = appWindow();
  TestHTTPServer server;
  basicGate(server, "/staff");

  auto first = start(server.url("/staff"));
  auto sheet = waitForSheet();
  ASSERT_TRUE(sheet);
  EXPECT_EQ(sheet->presentingViewController()->view()->window(), window);
  EXPECT_EQ(sheet->type(), HXAuthenticationDialog::ServerCredentials);
  // What the user reads: the prompt and the host on the bar, the fields in one section headed
  // by the realm and footed by how the password travels.
  EXPECT_EQ(texts(sheet->navigationBar()), "Login to this secure server.|127.0.0.1|");
  auto table = sheet->tableView();
  EXPECT_EQ(table->style(), UITableViewStyle::Grouped);
  EXPECT_EQ(sheet->numberOfSectionsInTableView(table), 1);
  EXPECT_EQ(sheet->tableViewTitleForHeaderInSection(table, 0), "staff");
  EXPECT_EQ(sheet->tableViewTitleForFooterInSection(table, 0),
            "Password will be sent in the clear.");
  table->layoutIfNeeded();
  EXPECT_EQ(texts(table), "[User]|[Password]|staff|Password will be sent in the clear.|");
  auto user = sheet->textFieldAt(NSIndexPath::indexPathForRow(0, 0));
  auto password = sheet->textFieldAt(NSIndexPath::indexPathForRow(1, 0));
  ASSERT_TRUE(user && password);
  EXPECT_TRUE(password->isSecureTextEntry());
  EXPECT_TRUE(user->isFirstResponder());
  EXPECT_FALSE(sheet->textFieldAt(NSIndexPath::indexPathForRow(0, 1)));  // no domain: Basic

  // Two more arrive while the sheet is up: one for the same realm, one for another host.
  auto second = start(server.url("/staff"));
  std::string otherHost = server.url("/staff");
  otherHost.replace(otherHost.find("127.0.0.1"), 9, "localhost");
  auto third = start(otherHost);
  ASSERT_TRUE(runMainLoopUntil([&] { return server.requestCount() == 3; }));
  runMainLoopFor(0.3);
  EXPECT_EQ(HXAuthenticationDialog::currentDialog(), sheet);

  user->setText("ann");
  password->setText("s3cret");
  tapBarButton(*sheet, "Login");
  ASSERT_TRUE(
      runMainLoopUntil([&] { return first->delegate->done() && second->delegate->done(); }));
  EXPECT_EQ(bodyOr(first->request->responseString()), "welcome");
  EXPECT_EQ(bodyOr(second->request->responseString()), "welcome");

  // The other host gets a sheet of its own once the first is gone; Cancel fails its request.
  auto next = waitForSheet(sheet);
  ASSERT_TRUE(next);
  EXPECT_EQ(texts(next->navigationBar()), "Login to this secure server.|localhost|");
  EXPECT_FALSE(third->delegate->done());
  tapBarButton(*next, "Cancel");
  ASSERT_TRUE(runMainLoopUntil([&] { return third->delegate->done(); }));
  ASSERT_TRUE(third->delegate->failed);
  EXPECT_EQ(third->request->error()->code(), HXAuthenticationErrorType);
  EXPECT_EQ(third->request->error()->localizedDescription(), "Authentication needed");
  ASSERT_TRUE(runMainLoopUntil([] { return !HXAuthenticationDialog::currentDialog(); }));
}

TEST(HXAuthenticationDialog, AnNTLMProxySheetAsksForADomainInASecondSection) {
  auto window = appWindow();
  // Nothing listens there: the retry after the Login fails at once and stays on this machine.
  auto request = HXHTTPRequest::requestWithURL(enginetest::url("https://127.0.0.1:1/x"));
  request->setAuthenticationNeeded(2);
  request->setProxyHost("127.0.0.1");
  request->setProxyPort(1);
  request->setProxyAuthenticationScheme("NTLM");
  HXAuthenticationDialog::presentAuthenticationDialogForRequest(request);
  auto sheet = HXAuthenticationDialog::currentDialog();
  ASSERT_TRUE(sheet);
  EXPECT_EQ(sheet->type(), HXAuthenticationDialog::ProxyCredentials);
  EXPECT_EQ(texts(sheet->navigationBar()), "Login to this secure proxy server.|127.0.0.1|");
  auto table = sheet->tableView();
  ASSERT_EQ(sheet->numberOfSectionsInTableView(table), 2);
  EXPECT_EQ(sheet->tableViewNumberOfRowsInSection(table, 1), 1);
  EXPECT_EQ(sheet->tableViewTitleForFooterInSection(table, 0), "");
  EXPECT_EQ(sheet->tableViewTitleForFooterInSection(table, 1), "Password will be sent securely.");
  auto domain = sheet->textFieldAt(NSIndexPath::indexPathForRow(0, 1));
  ASSERT_TRUE(domain);
  EXPECT_EQ(domain->placeholder(), "Domain");

  sheet->textFieldAt(NSIndexPath::indexPathForRow(0, 0))->setText("ann");
  domain->setText("CORP");
  tapBarButton(*sheet, "Login");
  EXPECT_EQ(request->proxyUsername(), "ann");
  EXPECT_EQ(request->proxyPassword(), "");
  EXPECT_EQ(request->proxyDomain(), "CORP");
  ASSERT_TRUE(runMainLoopUntil([] { return !HXAuthenticationDialog::currentDialog(); }));
}

TEST(HXAuthenticationDialog, ASynchronousRequestNeverShowsIt) {
  TestHTTPServer server;
  basicGate(server, "/staff");
  Exchange e(server.url("/staff"));
  e.request->setShouldPresentAuthenticationDialog(true);
  e.request->startSynchronous();
  ASSERT_TRUE(e.request->error());
  EXPECT_EQ(e.request->error()->code(), HXAuthenticationErrorType);
  runMainLoopFor(0.1);
  EXPECT_FALSE(HXAuthenticationDialog::currentDialog());
}

TEST(HXDownloadFile, CarriesItsRowThroughTheDownloadAndCopiesAreOfItsClass) {
  TestHTTPServer server;
  server.on("/thumb.png", TestHTTPReply::text("png bytes", 200, "image/png"));
  auto download = HXDownloadFile::requestWithURL(enginetest::url(server.url("/thumb.png")));
  download->setIndexPath(NSIndexPath::indexPathForRow(3, 1));
  download->setType(7);
  auto delegate = std::make_shared<enginetest::RecordingDelegate>();
  download->setDelegate(delegate);
  download->setDownloadDestinationPath(NSTemporaryDirectory() + "thumb.png");
  download->startAsynchronous();
  ASSERT_TRUE(runMainLoopUntil([&] { return delegate->done(); }));
  EXPECT_TRUE(delegate->finished);
  EXPECT_EQ(download->indexPath().row, 3);
  EXPECT_EQ(download->indexPath().section, 1);
  EXPECT_EQ(download->type(), 7);
  EXPECT_TRUE(std::dynamic_pointer_cast<HXDownloadFile>(download->copyWithZone()));
}
