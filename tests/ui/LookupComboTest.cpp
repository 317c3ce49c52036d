// The lookup selector over a table field, and the splitter with its one-click hot spot.
#include "LookupCombo.h"
#include "DataBuilders.h"
#include "HotSpotSplitter.h"
#include "KVDM.h"
#include "QtPrinters.h"

#include <QAbstractItemView>
#include <QCompleter>
#include <QDir>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>

using namespace kv;

namespace {

class LookupComboTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        const QString folder = m_dir.path() + QStringLiteral("/Data");
        QDir().mkpath(folder);
        dm = std::make_unique<TDMKV>([folder] { return folder; });
        // Entered out of name order; the client list reads in name order.
        addClient(QStringLiteral("C1"), QStringLiteral("Cobalt"));
        addClient(QStringLiteral("A1"), QStringLiteral("Acme"));
        addClient(QStringLiteral("B1"), QStringLiteral("Beta"));
        combo.setListSource(dm->TBCustList, QStringLiteral("CustName"));
        combo.resize(150, 22);
        combo.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&combo));
    }
    void addClient(const QString &no, const QString &name) { test::addClient(*dm, no, name); }
    QStringList items() const
    {
        QStringList list;
        for (int i = 0; i < combo.count(); ++i)
            list << combo.itemText(i);
        return list;
    }

    QTemporaryDir m_dir;
    std::unique_ptr<TDMKV> dm;
    LookupCombo combo;
};

TEST_F(LookupComboTest, ListsTheFieldInIndexOrderAndReadsNewEntriesWhenOpened)
{
    EXPECT_EQ(items(), (QStringList{QStringLiteral("Acme"), QStringLiteral("Beta"),
                                    QStringLiteral("Cobalt")}));
    addClient(QStringLiteral("AA"), QStringLiteral("Aardvark"));
    combo.showPopup();
    combo.hidePopup();
    EXPECT_EQ(combo.itemText(0), QStringLiteral("Aardvark"));
}

TEST_F(LookupComboTest, ReloadKeepsTheTextAndTheTablesCurrentRecord)
{
    combo.setText(QStringLiteral("Somebody new")); // any text is accepted
    dm->TBCustList->first();
    dm->TBCustList->next();
    const QString current = dm->TBCustListCustName->asString();
    combo.reload();
    EXPECT_EQ(combo.text(), QStringLiteral("Somebody new"));
    EXPECT_EQ(combo.currentIndex(), -1);
    EXPECT_EQ(dm->TBCustListCustName->asString(), current);

    combo.setText(QStringLiteral("Beta"));
    EXPECT_EQ(combo.currentIndex(), 1);
    combo.setText(QStringLiteral("beta")); // exact text only
    EXPECT_EQ(combo.currentIndex(), -1);
}

TEST_F(LookupComboTest, CloseUpComesAfterThePickTookEffectAndOnlyWhenTheListWasOpen)
{
    QStringList seen;
    QObject::connect(&combo, &LookupCombo::closeUp, &combo, [&] { seen << combo.text(); });
    combo.hidePopup();
    QTest::qWait(10);
    EXPECT_TRUE(seen.isEmpty());

    combo.setText(QStringLiteral("Acme"));
    combo.showPopup();
    ASSERT_TRUE(QTest::qWaitFor([&] { return combo.view()->isVisible(); }, 2000));
    combo.view()->setCurrentIndex(combo.model()->index(2, 0));
    QTest::keyClick(combo.view(), Qt::Key_Return);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !seen.isEmpty(); }, 2000));
    EXPECT_EQ(seen, QStringList{QStringLiteral("Cobalt")});
}

TEST_F(LookupComboTest, MatchingEntriesAreOfferedWhileTyping)
{
    QCompleter *matches = combo.completer();
    ASSERT_NE(matches, nullptr);
    EXPECT_EQ(matches->completionMode(), QCompleter::PopupCompletion);
    matches->setCompletionPrefix(QStringLiteral("b"));
    EXPECT_EQ(matches->completionCount(), 1);
    EXPECT_EQ(matches->currentCompletion(), QStringLiteral("Beta"));
}

TEST_F(LookupComboTest, EnteredOnlyWhenTheUserMovesTheFocusThere)
{
    QWidget window;
    auto *other = new LookupCombo(&window);
    auto *target = new LookupCombo(&window);
    target->move(0, 30);
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    other->setFocus(Qt::OtherFocusReason);
    QSignalSpy entered(target, &LookupCombo::entered);
    target->setFocus(Qt::ActiveWindowFocusReason);
    EXPECT_EQ(entered.count(), 0);
    other->setFocus(Qt::TabFocusReason);
    target->setFocus(Qt::TabFocusReason);
    EXPECT_EQ(entered.count(), 1);
}

TEST(HotSpotSplitter, HotSpotClosesTheFirstPaneAndOpensItAgainWhereItWas)
{
    HotSpotSplitter splitter(Qt::Vertical);
    splitter.setHandleWidth(7);
    splitter.addWidget(new QWidget);
    splitter.addWidget(new QWidget);
    splitter.resize(157, 76);
    splitter.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&splitter));
    splitter.setBarPosition(69);
    EXPECT_EQ(splitter.barPosition(), 69);
    EXPECT_EQ(splitter.sizes().last(), 0);

    // A click on the hot spot of the bar itself.
    QSplitterHandle *bar = splitter.handle(1);
    QTest::mouseClick(bar, Qt::LeftButton, {}, splitter.hotSpotRect().center());
    EXPECT_EQ(splitter.barPosition(), 0);
    EXPECT_EQ(splitter.hotSpotDirection(), HotSpotSplitter::Direction::TowardsSecond);
    splitter.hotSpotClick();
    EXPECT_EQ(splitter.barPosition(), 69);
    EXPECT_EQ(splitter.hotSpotDirection(), HotSpotSplitter::Direction::TowardsFirst);
}

} // namespace
