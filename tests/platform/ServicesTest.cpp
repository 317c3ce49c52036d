// Services: the standard error box around user actions, fakes, and help contexts.
#include "AppInfo.h"
#include "Application.h"
#include "FakeServices.h"
#include "HelpBrowser.h"

#include "QtPrinters.h"
#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTextBrowser>
#include <QTimer>

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

TEST(MessagesTest, DestructiveConfirmationsDefaultToNoAndEnterDoesNotDelete)
{
    EXPECT_EQ(defaultAnswer(MsgKind::Warning, MsgButtons::YesNo), MsgAnswer::No);
    EXPECT_EQ(defaultAnswer(MsgKind::Confirmation, MsgButtons::YesNo), MsgAnswer::Yes);
    EXPECT_EQ(defaultAnswer(MsgKind::Warning, MsgButtons::Ok), MsgAnswer::Ok);

    // The desktop's own box: Enter on the delete question answers No; Yes still confirms.
    Services::instance().installDesktop();
    Messages &m = Services::instance().messages();
    QMessageBox::StandardButton seenDefault = QMessageBox::NoButton;
    auto answerWith = [&](int key) {
        QTimer::singleShot(0, [&seenDefault, key] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            if (!box && QTest::qWaitFor([] { return QApplication::activeModalWidget(); }, 3000))
                box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            ASSERT_TRUE(box);
            seenDefault = box->standardButton(box->defaultButton());
            if (key == Qt::Key_Y)
                box->button(QMessageBox::Yes)->click();
            else
                QTest::keyClick(box, Qt::Key_Return);
        });
    };
    answerWith(Qt::Key_Return);
    EXPECT_FALSE(m.warnYesNo(QStringLiteral("Kestrova: Delete this record?")));
    EXPECT_EQ(seenDefault, QMessageBox::No);
    answerWith(Qt::Key_Y);
    EXPECT_TRUE(m.warnYesNo(QStringLiteral("Kestrova: Delete this record?")));
    answerWith(Qt::Key_Return);
    EXPECT_TRUE(m.confirm(QStringLiteral("Kestrova: Clock out?")));
    EXPECT_EQ(seenDefault, QMessageBox::Yes);
}

TEST(ShellTest, AnAddressNoProgramOpensIsToldToTheUser)
{
    FakeServicesScope fakes;
    const QUrl mail(QStringLiteral("mailto:billing@acme.example"));
    EXPECT_TRUE(openOrTell(mail, cannotOpenText(mail)));
    EXPECT_TRUE(fakes.messages->shown.isEmpty());

    fakes.shell->result = false;
    EXPECT_FALSE(openOrTell(mail, cannotOpenText(mail)));
    ASSERT_EQ(fakes.messages->shown.size(), 1);
    EXPECT_EQ(fakes.messages->shown[0].kind, MsgKind::Error);
    EXPECT_TRUE(fakes.messages->lastText().contains(QStringLiteral("billing@acme.example")));
    EXPECT_TRUE(fakes.messages->lastText().contains(QStringLiteral("e-mail")));
    const QUrl web(QStringLiteral("http://www.orvelane.example/kestrova"));
    EXPECT_TRUE(cannotOpenText(web).contains(web.toDisplayString()));
    EXPECT_EQ(fakes.shell->opened, (QList<QUrl>{mail, mail}));
}

TEST(ApplicationTest, WindowTitlesGetNoProgramNameAppended)
{
    Application::nameApplication();
    // With a display name of its own, the platform appends it to every window title.
    EXPECT_EQ(QGuiApplication::applicationDisplayName(), QCoreApplication::applicationName());
    EXPECT_EQ(QCoreApplication::applicationName(), QStringLiteral("Kestrova"));
}
