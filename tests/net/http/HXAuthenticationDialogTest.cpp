// The credentials dialog as a user meets it: what it says, one Login answering every request
// that waits for the same credentials, and the next host's dialog after the first is gone;
// and the download request that carries its table row.
#include <gtest/gtest.h>

#include "EngineTestSupport.h"
#include "Foundation/NSPathUtilities.h"
#include "UIKit/UIAlertView.h"
#include "UIKit/UITextField.h"
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

std::shared_ptr<UIAlertView> waitForDialog() {
  EXPECT_TRUE(runMainLoopUntil([] { return UIAlertView::visibleAlerts().size() == 1; }));
  auto alerts = UIAlertView::visibleAlerts();
  return alerts.empty() ? nullptr : alerts[0];
}

}  // namespace

TEST(HXAuthenticationDialog, OneLoginAnswersEveryRequestForTheSameRealmAndTheNextHostWaits) {
  TestHTTPServer server;
  basicGate(server, "/staff");

  auto first = start(server.url("/staff"));
  auto dialog = waitForDialog();
  ASSERT_TRUE(dialog);
  EXPECT_EQ(dialog->title(), "127.0.0.1");
  EXPECT_EQ(dialog->message(),
            "Login to this secure server.\nstaff\nPassword will be sent in the clear.");
  ASSERT_EQ(dialog->numberOfButtons(), 2);
  EXPECT_EQ(dialog->buttonTitleAtIndex(dialog->cancelButtonIndex()), "Cancel");
  EXPECT_EQ(dialog->buttonTitleAtIndex(dialog->firstOtherButtonIndex()), "Login");
  EXPECT_TRUE(dialog->textFieldAtIndex(1)->isSecureTextEntry());

  // Two more arrive while the dialog is up: one for the same realm, one for another host.
  auto second = start(server.url("/staff"));
  std::string otherHost = server.url("/staff");
  otherHost.replace(otherHost.find("127.0.0.1"), 9, "localhost");
  auto third = start(otherHost);
  ASSERT_TRUE(runMainLoopUntil([&] { return server.requestCount() == 3; }));
  runMainLoopFor(0.3);
  EXPECT_EQ(UIAlertView::visibleAlerts().size(), 1u);

  dialog->textFieldAtIndex(0)->setText("ann");
  dialog->textFieldAtIndex(1)->setText("s3cret");
  ASSERT_TRUE(dialog->tapButtonAtIndex(dialog->firstOtherButtonIndex()));
  ASSERT_TRUE(
      runMainLoopUntil([&] { return first->delegate->done() && second->delegate->done(); }));
  EXPECT_EQ(bodyOr(first->request->responseString()), "welcome");
  EXPECT_EQ(bodyOr(second->request->responseString()), "welcome");

  // The other host gets a dialog of its own once the first is gone; Cancel fails its request.
  auto next = waitForDialog();
  ASSERT_TRUE(next);
  EXPECT_NE(next, dialog);
  EXPECT_EQ(next->title(), "localhost");
  EXPECT_FALSE(third->delegate->done());
  ASSERT_TRUE(next->tapButtonAtIndex(next->cancelButtonIndex()));
  ASSERT_TRUE(runMainLoopUntil([&] { return third->delegate->done(); }));
  ASSERT_TRUE(third->delegate->failed);
  EXPECT_EQ(third->request->error()->code(), HXAuthenticationErrorType);
  EXPECT_EQ(third->request->error()->localizedDescription(), "Authentication needed");
  runMainLoopFor(0.1);
  EXPECT_TRUE(UIAlertView::visibleAlerts().empty());
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
  EXPECT_TRUE(UIAlertView::visibleAlerts().empty());
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
