// The client list and the client editor offscreen: the openers and their modes, Accept with its
// duplicate-record message, Exit with "Save Changes?", delete, e-mail, the masked boxes, and the
// rename cascade as the after-post rule runs it.
#include "DBEdit.h"
#include "DBGrid.h"
#include "ListsFixture.h"

#include <QToolButton>

using namespace kv;
using namespace kv::test;

namespace {

class ClientWindowsTest : public ListsFixture
{
protected:
    void SetUp() override
    {
        ListsFixture::SetUp();
        addClient(QStringLiteral("A1"), QStringLiteral("Acme"));
        addClient(QStringLiteral("B1"), QStringLiteral("Beta"));
        addTime(QStringLiteral("Acme"), QStringLiteral("Design"), 2);
        addTime(QStringLiteral("Beta"), QStringLiteral("Design"), 3);
        addTime(QStringLiteral("Acme"), QStringLiteral("Support"), 4);
        DMKV->TBCust->first(); // A1 Acme
    }
    QToolButton *editorButton(const char *name)
    {
        return frmdbCliEdit->findChild<QToolButton *>(QString::fromLatin1(name));
    }
    DBEdit *editorBox(const char *name)
    {
        return frmdbCliEdit->findChild<DBEdit *>(QString::fromLatin1(name));
    }
    void click(QWidget *w, const char *name)
    {
        auto *b = w->findChild<QToolButton *>(QString::fromLatin1(name));
        ASSERT_TRUE(b) << name;
        ASSERT_TRUE(b->isEnabled()) << name;
        b->click();
    }
    /// Opens the editor from the client list's `button` and runs `inside` in it.
    void fromList(const char *button, const std::function<void(QWidget *)> &inside)
    {
        FCust->show();
        withModal([&] { click(FCust, button); }, inside);
    }
    void type(const char *box, const QString &text)
    {
        DBEdit *e = editorBox(box);
        e->setFocus();
        e->selectAll();
        QTest::keyClicks(e, text);
    }
    /// Changes the current client's fields through the editor, as Edit from the list and Accept.
    void editAndAccept(const std::function<void()> &change)
    {
        fromList("bbcEdit", [&](QWidget *) {
            change();
            click(frmdbCliEdit, "tbbcePost");
            click(frmdbCliEdit, "tbbceClose");
        });
    }
    bool enabled(const char *name) { return editorButton(name)->isEnabled(); }
};

TEST_F(ClientWindowsTest, RenamingAClientRenamesItsTimeRecordsOnly)
{
    editAndAccept([&] { type("RzDBEdit2", QStringLiteral("Acme Corp")); });
    EXPECT_EQ(countClient(QStringLiteral("Acme Corp")), 2);
    EXPECT_EQ(countClient(QStringLiteral("Acme")), 0);
    EXPECT_EQ(countClient(QStringLiteral("Beta")), 1);
    EXPECT_EQ(DMKV->TBInout->indexName(), QStringLiteral("Tinout01"));
    EXPECT_EQ(timeLog()[1].client, QStringLiteral("Beta")) << "the log keeps its date order";
}

TEST_F(ClientWindowsTest, ACaseOnlyRenameRenamesTheTimeRecords)
{
    editAndAccept([&] { type("RzDBEdit2", QStringLiteral("ACME")); });
    EXPECT_EQ(countClient(QStringLiteral("ACME")), 2);
}

TEST_F(ClientWindowsTest, UnchangedNamesAndAddressEditsRunNoCascade)
{
    setIncrement(30); // a rewritten time record would get 0.5 hours instead of 0.25
    editAndAccept([&] { type("RzDBEdit3", QStringLiteral("1 Main Street")); });
    editAndAccept([&] {});
    for (const TimeRec &r : timeLog())
        EXPECT_DOUBLE_EQ(r.hours, 0.25) << r.client.toStdString();
    DMKV->TBCust->refresh();
    EXPECT_EQ(DMKV->TBCustAddress1->asString(), QStringLiteral("1 Main Street"));
}

TEST_F(ClientWindowsTest, ANewClientRenamesNothingEvenAfterAnEarlierEdit)
{
    // An edit that was rejected leaves no name behind for a later post to cascade with.
    fromList("bbcEdit", [&](QWidget *) {
        click(frmdbCliEdit, "tbbceCancel");
        click(frmdbCliEdit, "tbbceClose");
    });
    fromList("bbcAdd", [&](QWidget *) {
        EXPECT_EQ(DMKV->TBCust->state(), StoreTable::State::Insert);
        EXPECT_TRUE(frmdbCliEdit->OldCustName.isEmpty());
        type("RzDBEdit2", QStringLiteral("Cobalt"));
        type("RzDBEdit1", QStringLiteral("C1"));
        click(frmdbCliEdit, "tbbcePost");
        click(frmdbCliEdit, "tbbceClose");
    });
    EXPECT_EQ(countClient(QStringLiteral("Acme")), 2);
    EXPECT_EQ(countClient(QStringLiteral("Cobalt")), 0);
    DMKV->TBCustList->first();
    EXPECT_EQ(DMKV->TBCustListCustName->asString(), QStringLiteral("Acme"));
}

TEST_F(ClientWindowsTest, OpenersGiveTheEditorItsMode)
{
    fromList("bbcAdd", [&](QWidget *) {
        EXPECT_FALSE(enabled("tbbceAdd"));
        EXPECT_FALSE(enabled("tbbEmail"));
        EXPECT_TRUE(enabled("tbbcePost"));
        EXPECT_TRUE(enabled("tbbceClose"));
        click(frmdbCliEdit, "tbbceCancel");
        EXPECT_TRUE(enabled("tbbceAdd"));
        EXPECT_FALSE(enabled("tbbcePost"));
        click(frmdbCliEdit, "tbbceClose");
    });
    fromList("bbcView", [&](QWidget *) {
        EXPECT_EQ(DMKV->TBCust->state(), StoreTable::State::Browse);
        EXPECT_TRUE(enabled("tbbceEdit"));
        EXPECT_FALSE(enabled("tbbceCancel"));
        click(frmdbCliEdit, "tbbceClose");
    });
    // The time log's look-up: only e-mail and Exit.
    withModal([&] { frmdbCliEdit->showForViewing(); },
              [&](QWidget *) {
                  for (const char *name :
                       {"tbbceFirst", "tbbcePrior", "tbbceNext", "tbbceLast", "tbbceAdd",
                        "tbbceEdit", "tbbceDelete", "tbbcePost", "tbbceCancel"})
                      EXPECT_FALSE(enabled(name)) << name;
                  EXPECT_TRUE(enabled("tbbEmail"));
                  EXPECT_TRUE(enabled("tbbceClose"));
                  click(frmdbCliEdit, "tbbceClose");
              });
}

TEST_F(ClientWindowsTest, InBrowseStateTypingChangesNothing)
{
    fromList("bbcView", [&](QWidget *) {
        type("RzDBEdit2", QStringLiteral("X"));
        EXPECT_EQ(DMKV->TBCust->state(), StoreTable::State::Browse);
        EXPECT_EQ(editorBox("RzDBEdit2")->text(), QStringLiteral("Acme"));
        click(frmdbCliEdit, "tbbceClose");
    });
}

TEST_F(ClientWindowsTest, DeleteAsksInTheListButNotInTheEditor)
{
    FCust->show();
    fakes.messages->answerNext(MsgAnswer::No);
    click(FCust, "bbcDelete");
    ASSERT_EQ(fakes.messages->shown.size(), 1);
    EXPECT_EQ(fakes.messages->lastText(), QStringLiteral("Kestrova: Delete record?"));
    EXPECT_EQ(fakes.messages->shown.last().kind, MsgKind::Warning);
    EXPECT_FALSE(DMKV->TBCust->isEmpty());
    fakes.messages->answerNext(MsgAnswer::Yes);
    click(FCust, "bbcDelete");
    DMKV->TBCust->first();
    EXPECT_EQ(DMKV->TBCustCustName->asString(), QStringLiteral("Beta"));

    fromList("bbcView", [&](QWidget *) {
        click(frmdbCliEdit, "tbbceDelete");
        click(frmdbCliEdit, "tbbceClose");
    });
    EXPECT_EQ(fakes.messages->shown.size(), 2) << "the editor deletes without asking";
    EXPECT_TRUE(DMKV->TBCust->isEmpty());
    EXPECT_EQ(countClient(QStringLiteral("Acme")), 2)
        << "time records keep a deleted client's name";

    fromList("bbcView", [&](QWidget *) {
        click(frmdbCliEdit, "tbbceDelete");
        click(frmdbCliEdit, "tbbceClose");
    });
    EXPECT_EQ(fakes.messages->lastText(),
              QStringLiteral("Cannot perform this operation on an empty dataset"));
}

TEST_F(ClientWindowsTest, ExitAsksToSaveOnlyWhileAClientIsPending)
{
    fromList("bbcView", [&](QWidget *modal) {
        click(frmdbCliEdit, "tbbceClose");
        EXPECT_FALSE(modal->isVisible());
    });
    EXPECT_TRUE(fakes.messages->shown.isEmpty());

    fakes.messages->answerNext(MsgAnswer::No);
    fromList("bbcEdit", [&](QWidget *) {
        type("RzDBEdit5", QStringLiteral("Springfield"));
        click(frmdbCliEdit, "tbbceClose");
    });
    ASSERT_EQ(fakes.messages->shown.size(), 1);
    EXPECT_EQ(fakes.messages->lastText(), QStringLiteral("Save Changes?"));
    EXPECT_EQ(fakes.messages->shown.last().kind, MsgKind::Information);
    EXPECT_EQ(fakes.messages->shown.last().buttons, MsgButtons::YesNo);
    DMKV->TBCust->refresh();
    EXPECT_TRUE(DMKV->TBCustCity->isNull()) << "No discards the change";

    fakes.messages->answerNext(MsgAnswer::Yes);
    fromList("bbcEdit", [&](QWidget *) {
        type("RzDBEdit2", QStringLiteral("Acme Two"));
        click(frmdbCliEdit, "tbbceClose");
    });
    EXPECT_EQ(DMKV->TBCust->state(), StoreTable::State::Browse);
    EXPECT_EQ(countClient(QStringLiteral("Acme Two")), 2) << "Yes posts, and the post cascades";
}

TEST_F(ClientWindowsTest, AKeyViolationShowsTheDuplicateMessageAndKeepsTheRecordPending)
{
    fromList("bbcAdd", [&](QWidget *) {
        type("RzDBEdit2", QStringLiteral("Another"));
        type("RzDBEdit1", QStringLiteral("B1"));
        click(frmdbCliEdit, "tbbcePost");
        ASSERT_EQ(fakes.messages->shown.size(), 1);
        const FakeMessages::Shown &box = fakes.messages->shown.last();
        EXPECT_EQ(box.kind, MsgKind::Error);
        EXPECT_EQ(box.helpContext, 49);
        EXPECT_EQ(box.text,
                  QStringLiteral("Duplicate Record.\r\nClient #, Client Name match another "
                                 "client record.\r\nPlease try again. Press F1 for an "
                                 "explanation of key violations."));
        EXPECT_EQ(DMKV->TBCust->state(), StoreTable::State::Insert);
        EXPECT_TRUE(enabled("tbbcePost")) << "the buttons stay editing";
        click(frmdbCliEdit, "tbbceCancel");
        click(frmdbCliEdit, "tbbceClose");
    });
}

TEST_F(ClientWindowsTest, ARequiredFieldAndACascadeFailureGoToTheStandardErrorBox)
{
    fromList("bbcAdd", [&](QWidget *) {
        type("RzDBEdit2", QStringLiteral("Nameless number"));
        click(frmdbCliEdit, "tbbcePost");
        EXPECT_EQ(fakes.messages->lastText(), QStringLiteral("Field 'Client #' must have a value"));
        EXPECT_EQ(fakes.messages->shown.last().caption, QStringLiteral("Kestrova v2.0"));
        click(frmdbCliEdit, "tbbceCancel");
        click(frmdbCliEdit, "tbbceClose");
    });
    // Beta already has a record on the 3rd like Acme's below: renaming Acme to Beta meets the
    // time log's unique key. That is no duplicate client, and is not reported as one.
    addTime(QStringLiteral("Acme"), QStringLiteral("Design"), 3);
    fakes.messages->shown.clear();
    fromList("bbcEdit", [&](QWidget *) {
        type("RzDBEdit2", QStringLiteral("Beta"));
        click(frmdbCliEdit, "tbbcePost");
        ASSERT_EQ(fakes.messages->shown.size(), 1);
        EXPECT_TRUE(
            fakes.messages->lastText().startsWith(QStringLiteral("Duplicate key found in index")))
            << fakes.messages->lastText().toStdString();
        EXPECT_EQ(fakes.messages->shown.last().helpContext, 0);
        EXPECT_EQ(DMKV->TBCust->state(), StoreTable::State::Browse) << "the client is posted";
        EXPECT_TRUE(enabled("tbbcePost")) << "the buttons stay editing after a failed Accept";
        click(frmdbCliEdit, "tbbceClose");
    });
    EXPECT_EQ(DMKV->TBInout->indexName(), QStringLiteral("Tinout01"));
}

TEST_F(ClientWindowsTest, EmailOpensTheTrimmedAddressOnlyWhenThereIsOneAndTheClientIsBrowsed)
{
    DMKV->TBCust->edit();
    DMKV->TBCustEmail->setAsString(QStringLiteral("  \tjo@acme.example"));
    DMKV->TBCust->post();
    fromList("bbcView", [&](QWidget *) {
        click(frmdbCliEdit, "tbbEmail");
        ASSERT_EQ(fakes.shell->opened.size(), 1);
        EXPECT_EQ(fakes.shell->opened[0].toString(), QStringLiteral("mailto:jo@acme.example"));
        click(frmdbCliEdit, "tbbceNext"); // Beta has no address
        click(frmdbCliEdit, "tbbEmail");
        EXPECT_EQ(fakes.shell->opened.size(), 1);
        click(frmdbCliEdit, "tbbceClose");
    });
    EXPECT_EQ(TfrmdbCliEdit::mailtoAddress(QStringLiteral("\r\n a@b.example \x01")),
              QStringLiteral("mailto:a@b.example"));
}

TEST_F(ClientWindowsTest, MaskedBoxesStoreTheirValuesAndRefuseIncompleteOnes)
{
    fromList("bbcEdit", [&](QWidget *) {
        type("RzDBEdit6", QStringLiteral("ny"));
        type("RzDBEdit7", QStringLiteral("123456789"));
        type("RzDBEdit9", QStringLiteral("5551234567"));
        type("RzDBEdit10", QStringLiteral("5559876543"));
        click(frmdbCliEdit, "tbbcePost");
        click(frmdbCliEdit, "tbbceClose");
    });
    DMKV->TBCust->refresh();
    EXPECT_EQ(DMKV->TBCustState->asString(), QStringLiteral("NY"));
    EXPECT_EQ(DMKV->TBCustZip->asString(), QStringLiteral("12345-6789"));
    EXPECT_EQ(DMKV->TBCustPhone->asString(), QStringLiteral("5551234567"));
    EXPECT_EQ(editorBox("RzDBEdit9")->text(), QStringLiteral("(555) 123-4567"));

    fromList("bbcEdit", [&](QWidget *) {
        DBEdit *phone = editorBox("RzDBEdit9");
        phone->setFocus();
        phone->setCursorPosition(14);
        QTest::keyClick(phone, Qt::Key_Backspace);
        click(frmdbCliEdit, "tbbcePost");
        EXPECT_EQ(fakes.messages->lastText(),
                  QStringLiteral("Invalid input value.  Use escape key to abandon changes"));
        EXPECT_EQ(DMKV->TBCust->state(), StoreTable::State::Edit) << "nothing was posted";
        click(frmdbCliEdit, "tbbceCancel");
        click(frmdbCliEdit, "tbbceClose");
    });
}

TEST_F(ClientWindowsTest, ClosingTheListCancelsAClientLeftPendingByTheEditorsFrame)
{
    fromList("bbcAdd", [&](QWidget *modal) {
        type("RzDBEdit2", QStringLiteral("Pending"));
        type("RzDBEdit1", QStringLiteral("Z9"));
        modal->close(); // the window frame: the editor has no close rule of its own
    });
    EXPECT_EQ(DMKV->TBCust->state(), StoreTable::State::Insert);
    FCust->close();
    EXPECT_EQ(DMKV->TBCust->state(), StoreTable::State::Browse);
    DMKV->TBCust->first();
    int count = 0;
    for (; !DMKV->TBCust->eof(); DMKV->TBCust->next())
        ++count;
    EXPECT_EQ(count, 2);
}

TEST_F(ClientWindowsTest, TheListsNavigationButtonsMoveTheClients)
{
    FCust->show();
    click(FCust, "navcLast");
    EXPECT_EQ(DMKV->TBCustCustName->asString(), QStringLiteral("Beta"));
    click(FCust, "navcPrior");
    EXPECT_EQ(DMKV->TBCustCustName->asString(), QStringLiteral("Acme"));
    click(FCust, "navcNext");
    EXPECT_EQ(DMKV->TBCustCustName->asString(), QStringLiteral("Beta"));
    click(FCust, "navcFirst");
    EXPECT_EQ(DMKV->TBCustCustName->asString(), QStringLiteral("Acme"));
}

} // namespace

namespace {

TEST_F(ClientWindowsTest, AcceptOfANewClientStaysOnTheClientJustSaved)
{
    fromList("bbcAdd", [&](QWidget *) {
        type("RzDBEdit2", QStringLiteral("Cobalt"));
        type("RzDBEdit1", QStringLiteral("C1"));
        click(frmdbCliEdit, "tbbcePost");
        EXPECT_EQ(DMKV->TBCust->state(), StoreTable::State::Browse);
        EXPECT_EQ(DMKV->TBCustCustName->asString(), QStringLiteral("Cobalt"));
        EXPECT_EQ(editorBox("RzDBEdit2")->text(), QStringLiteral("Cobalt"));
        click(frmdbCliEdit, "tbbceClose");
    });
    EXPECT_EQ(DMKV->TBCustCustName->asString(), QStringLiteral("Cobalt"));
}

} // namespace
