// The three-part edit mask, the masked edit box at the keyboard, and the spin box's range rules.
#include "EditMask.h"
#include "DBSpinEdit.h"
#include "FakeServices.h"
#include "MaskEdit.h"
#include "QtPrinters.h"

#include <QTest>
#include <gtest/gtest.h>

using namespace kv;

namespace {

const QString kState = QStringLiteral(">LL;0;_");
const QString kZip = QStringLiteral("00000\\-9999;1;");
const QString kPhone = QStringLiteral("!\\(999\\)\\ 000-0000;0;_");

TEST(EditMaskTest, ParsesTheThreeParts)
{
    const EditMask state(kState);
    EXPECT_EQ(state.length(), 2);
    EXPECT_FALSE(state.saveLiterals());
    EXPECT_EQ(state.blank(), QLatin1Char('_'));
    EXPECT_EQ(state.emptyText(), QStringLiteral("__"));

    const EditMask zip(kZip);
    EXPECT_EQ(zip.length(), 10);
    EXPECT_TRUE(zip.saveLiterals());
    EXPECT_EQ(zip.blank(), QLatin1Char('_')) << "an empty third part keeps the usual blank";
    EXPECT_EQ(zip.emptyText(), QStringLiteral("_____-____"));

    const EditMask phone(kPhone);
    EXPECT_EQ(phone.length(), 14);
    EXPECT_TRUE(phone.blanksLead());
    EXPECT_EQ(phone.emptyText(), QStringLiteral("(___) ___-____"));
    EXPECT_TRUE(EditMask(QStringLiteral("LL")).saveLiterals()) << "no second part: literals kept";
}

TEST(EditMaskTest, AcceptsOnlyWhatEachPositionAllowsAndAppliesTheCase)
{
    const EditMask state(kState);
    EXPECT_EQ(state.accept(0, QLatin1Char('n')), QLatin1Char('N'));
    EXPECT_FALSE(state.accept(1, QLatin1Char('7')));
    const EditMask phone(kPhone);
    EXPECT_FALSE(phone.accept(0, QLatin1Char('5'))) << "a literal takes no input";
    EXPECT_EQ(phone.accept(1, QLatin1Char('5')), QLatin1Char('5'));
    EXPECT_FALSE(phone.accept(1, QLatin1Char('x')));
    EXPECT_EQ(phone.nextInput(4), 6);
    EXPECT_EQ(phone.previousInput(6), 3);
}

TEST(EditMaskTest, ConvertsBetweenStoredValuesAndEditText)
{
    const EditMask zip(kZip);
    EXPECT_EQ(zip.toValue(QStringLiteral("12345-6789")), QStringLiteral("12345-6789"));
    EXPECT_EQ(zip.toValue(QStringLiteral("12345-____")), QStringLiteral("12345-"))
        << "the dash is stored, the optional digits left out";
    EXPECT_EQ(zip.toEditText(QStringLiteral("12345-6789")), QStringLiteral("12345-6789"));
    EXPECT_EQ(zip.toValue(zip.emptyText()), QString()) << "an empty box clears the field";

    const EditMask phone(kPhone);
    EXPECT_EQ(phone.toValue(QStringLiteral("(555) 123-4567")), QStringLiteral("5551234567"));
    EXPECT_EQ(phone.toEditText(QStringLiteral("5551234567")), QStringLiteral("(555) 123-4567"));
    // Without the area code the digits are stored alone and read back into the right places.
    EXPECT_EQ(phone.toValue(QStringLiteral("(___) 123-4567")), QStringLiteral("1234567"));
    EXPECT_EQ(phone.toEditText(QStringLiteral("1234567")), QStringLiteral("(___) 123-4567"));

    const EditMask state(kState);
    EXPECT_EQ(state.toEditText(QStringLiteral("ny")), QStringLiteral("NY"));
    EXPECT_EQ(state.toEditText(QStringLiteral("4x")), QStringLiteral("_X")) << "misfits show empty";
}

TEST(EditMaskTest, CompleteWhenEveryRequiredPositionIsFilledOrTheBoxIsEmpty)
{
    const EditMask phone(kPhone);
    EXPECT_TRUE(phone.isComplete(QStringLiteral("(___) 123-4567"))) << "the area code is optional";
    EXPECT_FALSE(phone.isComplete(QStringLiteral("(555) 123-45__")));
    EXPECT_TRUE(phone.isComplete(phone.emptyText()));
    const EditMask zip(kZip);
    EXPECT_FALSE(zip.isComplete(QStringLiteral("123__-____")));
    EXPECT_TRUE(zip.isComplete(QStringLiteral("12345-____")));
}

TEST(EditMaskTest, EscapedSemicolonsAndCaseSwitches)
{
    const EditMask m(QStringLiteral("L\\;<L<>L;1;*"));
    EXPECT_EQ(m.blank(), QLatin1Char('*'));
    EXPECT_EQ(m.emptyText(), QStringLiteral("*;**"));
    EXPECT_EQ(m.accept(2, QLatin1Char('Q')), QLatin1Char('q'));
    EXPECT_EQ(m.accept(3, QLatin1Char('Q')), QLatin1Char('Q'));
}

class MaskEditTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        edit.setEditMask(kPhone);
        other.move(0, 40);
        window.show();
        QApplication::setActiveWindow(&window);
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
        edit.setFocus();
    }
    FakeServicesScope fakes;
    QWidget window;
    MaskEdit &edit = *new MaskEdit(&window);
    MaskEdit &other = *new MaskEdit(&window);
};

TEST_F(MaskEditTest, TypingFillsPositionsStepsOverLiteralsAndRefusesMisfits)
{
    edit.setCursorPosition(0);
    QTest::keyClicks(&edit, QStringLiteral("5551234567"));
    EXPECT_EQ(edit.text(), QStringLiteral("(555) 123-4567"));
    EXPECT_EQ(edit.value(), QStringLiteral("5551234567"));

    edit.setValue(QString());
    edit.setCursorPosition(0);
    QTest::keyClicks(&edit, QStringLiteral("55a"));
    EXPECT_EQ(edit.text(), QStringLiteral("(55_) ___-____"));
    EXPECT_EQ(fakes.beeper->count, 1) << "a refused character beeps";
}

TEST_F(MaskEditTest, BackspaceEmptiesThePositionBeforeTheCursor)
{
    edit.setValue(QStringLiteral("5551234567"));
    edit.setCursorPosition(14);
    QTest::keyClick(&edit, Qt::Key_Backspace);
    QTest::keyClick(&edit, Qt::Key_Backspace);
    EXPECT_EQ(edit.text(), QStringLiteral("(555) 123-45__"));
    EXPECT_FALSE(edit.isValueComplete());
}

TEST_F(MaskEditTest, LeavingAnIncompleteValueShowsTheMessageAndKeepsTheFocus)
{
    edit.setCursorPosition(0);
    QTest::keyClicks(&edit, QStringLiteral("555123"));
    other.setFocus(Qt::TabFocusReason);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !fakes.messages->shown.isEmpty(); }, 2000));
    EXPECT_EQ(fakes.messages->lastText(),
              QStringLiteral("Invalid input value.  Use escape key to abandon changes"));
    EXPECT_TRUE(edit.hasFocus());

    // Escape abandons the changes; leaving is then allowed.
    QTest::keyClick(&edit, Qt::Key_Escape);
    EXPECT_EQ(edit.text(), QStringLiteral("(___) ___-____"));
    other.setFocus(Qt::TabFocusReason);
    QTest::qWait(20);
    EXPECT_EQ(fakes.messages->shown.size(), 1);
}

TEST(SpinRangeTest, SettlesTypedNumbersToTheNearerBound)
{
    const SpinRange incr{1, 59};
    EXPECT_EQ(incr.settle(QStringLiteral("75")), 59);
    EXPECT_EQ(incr.settle(QStringLiteral("0")), 1);
    EXPECT_EQ(incr.settle(QStringLiteral("15")), 15);
    EXPECT_EQ(incr.settle(QString()), std::nullopt) << "an empty box stays empty";
    EXPECT_EQ(SpinRange({1, 1440}).settle(QStringLiteral("99999999999999999999")), 1440);
    EXPECT_EQ(incr.step(std::nullopt, 1), 1);
    EXPECT_EQ(incr.step(59, 1), 59);
    EXPECT_EQ(incr.step(1, -1), 1);
}

} // namespace
