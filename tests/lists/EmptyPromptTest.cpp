// The empty-list prompts: their texts, focus, Escape, and the list windows they open.
#include "ListsFixture.h"
#include "UfEmptyJob.h"
#include "ufEmptyClient.h"

#include <QLabel>
#include <QPushButton>

using namespace kv;
using namespace kv::test;

namespace {

class EmptyPromptTest : public ListsFixture
{
protected:
    void SetUp() override
    {
        ListsFixture::SetUp();
        fEmptyClient = new TfEmptyClient;
        fJobEmpty = new TfJobEmpty;
    }
    void TearDown() override
    {
        delete fJobEmpty;
        delete fEmptyClient;
        ListsFixture::TearDown();
    }
};

TEST_F(EmptyPromptTest, TextsCaptionsAndFocus)
{
    EXPECT_EQ(fEmptyClient->windowTitle(), QStringLiteral("Kestrova - Client Listing is Empty"));
    EXPECT_EQ(fJobEmpty->windowTitle(), QStringLiteral("Kestrova - Job Type Listing is Empty"));
    EXPECT_TRUE(fEmptyClient->findChild<QLabel *>()->text().startsWith(
        QStringLiteral("The Client Listing file is empty !\n \nBefore you can enter")));
    EXPECT_TRUE(TfJobEmpty::promptText().endsWith(
        QStringLiteral("information now \r\nor click the Cancel button and enter job types by "
                       "clicking Menu,\r\nKestrova Configuration, Job Type Listing.")));
    // The drawn size, wider only when the face is wider: no line of the text is broken.
    EXPECT_EQ(fEmptyClient->height(), 169);
    EXPECT_GE(fEmptyClient->width(), 390);
    const QLabel *text = fEmptyClient->findChild<QLabel *>(QStringLiteral("lText"));
    fEmptyClient->show();
    for (const QString &line : text->text().split(QLatin1Char('\n')))
        EXPECT_LE(text->fontMetrics().horizontalAdvance(line), text->contentsRect().width())
            << line.toStdString();
    fEmptyClient->hide();

    withModal([&] { fEmptyClient->exec(); },
              [&](QWidget *) {
                  EXPECT_EQ(fEmptyClient->focusWidget(), fEmptyClient->bCancel);
                  QTest::keyClick(fEmptyClient, Qt::Key_Escape);
              });
    EXPECT_EQ(fEmptyClient->result(), QDialog::Rejected);
    withModal([&] { fJobEmpty->exec(); },
              [&](QWidget *) {
                  EXPECT_EQ(fJobEmpty->focusWidget(), fJobEmpty->bJobList);
                  QTest::keyClick(fJobEmpty, Qt::Key_Escape);
              });
    EXPECT_FALSE(fJobEmpty->isVisible());
    EXPECT_FALSE(FJobType->isVisible()) << "Escape opens no list";
}

TEST_F(EmptyPromptTest, ClientListingOpensTheClientListAndClosesThePromptAfterIt)
{
    bool listShown = false;
    withModal([&] { fEmptyClient->exec(); },
              [&](QWidget *) {
                  withModal([&] { fEmptyClient->bClientList->click(); },
                            [&](QWidget *list) {
                                listShown = list == FCust;
                                addClient(QStringLiteral("N1"), QStringLiteral("New client"));
                                list->close();
                            });
                  EXPECT_FALSE(fEmptyClient->isVisible());
              });
    EXPECT_TRUE(listShown);
    DMKV->TBCustList->first();
    EXPECT_EQ(DMKV->TBCustListCustName->asString(), QStringLiteral("New client"));
}

TEST_F(EmptyPromptTest, JobTypeListingOpensTheJobTypeWindow)
{
    bool windowShown = false;
    withModal([&] { fJobEmpty->exec(); },
              [&](QWidget *) {
                  withModal([&] { fJobEmpty->bJobList->click(); },
                            [&](QWidget *w) {
                                windowShown = w == FJobType;
                                w->close();
                            });
              });
    EXPECT_TRUE(windowShown);
    EXPECT_FALSE(fJobEmpty->isVisible());
}

} // namespace
