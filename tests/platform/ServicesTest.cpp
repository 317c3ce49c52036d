// Services: the standard error box around user actions, fakes, and help contexts.
#include "AppInfo.h"
#include "FakeServices.h"
#include "HelpBrowser.h"

#include "QtPrinters.h"
#include <QTextBrowser>

#include <gtest/gtest.h>
#include <stdexcept>

using namespace kv;

TEST(RunActionTest, ErrorEscapingAnActionIsShownAndTheProgramGoesOn)
{
    FakeServicesScope fakes;
    bool after = false;
    EXPECT_FALSE(runAction([] { throw std::runtime_error("Disk full"); }));
    ASSERT_EQ(fakes.messages->shown.size(), 1);
    EXPECT_EQ(fakes.messages->shown[0].kind, MsgKind::Error);
    EXPECT_EQ(fakes.messages->shown[0].text, QStringLiteral("Disk full"));
    EXPECT_EQ(fakes.messages->shown[0].caption, QStringLiteral("Kestrova v2.0"));
    EXPECT_TRUE(runAction([&] { after = true; }));
    EXPECT_TRUE(after);
    EXPECT_EQ(fakes.messages->shown.size(), 1);
}

TEST(FakeServicesTest, ScriptedAnswersComeInOrderThenTheDefault)
{
    FakeServicesScope fakes;
    Messages &m = Services::instance().messages();
    fakes.messages->answerNext(MsgAnswer::Yes);
    EXPECT_TRUE(m.confirm(QStringLiteral("Kestrova: Clock out?")));
    EXPECT_FALSE(m.confirm(QStringLiteral("Kestrova: Clock out?")));
    EXPECT_EQ(fakes.messages->shown[0].kind, MsgKind::Confirmation);
    EXPECT_EQ(fakes.messages->shown[0].buttons, MsgButtons::YesNo);
}

TEST(FakeServicesTest, ClockIsPinnedAndGivesTheDateTimeValue)
{
    FakeServicesScope fakes;
    fakes.clock->set(QDateTime(QDate(1899, 12, 31), QTime(18, 0)));
    EXPECT_DOUBLE_EQ(Services::instance().clock().nowValue(), 1.75);
}

TEST(HelpBrowserTest, ContextsOpenTheirPageAtTheirAnchor)
{
    EXPECT_EQ(HelpBrowser::urlForContext(4).toString(),
              QStringLiteral("qrc:/help/main.html#ctx-4"));
    // Unknown contexts and the contents command show the contents page.
    EXPECT_EQ(HelpBrowser::urlForContext(0).toString(), QStringLiteral("qrc:/help/index.html"));
    EXPECT_EQ(HelpBrowser::urlForContext(9999).toString(), QStringLiteral("qrc:/help/index.html"));

    HelpBrowser browser;
    browser.showContext(4);
    EXPECT_TRUE(browser.browser()->toPlainText().contains(QStringLiteral("The main window")));
    browser.close();
}
