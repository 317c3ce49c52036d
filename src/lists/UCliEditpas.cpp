// The client editor: layout, record buttons, Accept and Exit, e-mail, and the rename cascade.
#include "UCliEditpas.h"
#include "WindowLook.h"

#include "DBEdit.h"
#include "DBMemo.h"
#include "KVDM.h"
#include "ListTools.h"
#include "RenameCascade.h"
#include "Services.h"
#include "TableStateLabel.h"

#include <QBoxLayout>
#include <QFrame>
#include <QLabel>
#include <QToolButton>
#include <QUrl>

namespace kv {

TfrmdbCliEdit *frmdbCliEdit = nullptr;

namespace {

constexpr int kWidth = 298;
constexpr int kHeight = 454;
constexpr int kCaptionPx = 10;

template <class W> W *named(W *w, const char *name)
{
    w->setObjectName(QString::fromLatin1(name));
    return w;
}

/// A box with its caption beneath it in a small font.
QWidget *captioned(QWidget *parent, QWidget *box, const QString &caption)
{
    auto *cell = new QWidget(parent);
    auto *v = new QVBoxLayout(cell);
    v->setContentsMargins(0, 0, 0, 0);
    v->setSpacing(0);
    v->addWidget(box);
    auto *label = new QLabel(caption, cell);
    QFont f = label->font();
    f.setPixelSize(kCaptionPx);
    label->setFont(f);
    label->setBuddy(box);
    v->addWidget(label);
    return cell;
}

} // namespace

TfrmdbCliEdit::TfrmdbCliEdit(QWidget *parent) : QDialog(parent)
{
    using namespace listtools;
    setObjectName(QStringLiteral("frmdbCliEdit"));
    setWindowTitle(tr("Kestrova - Client Maintenance"));
    look::setBorder(this, look::Border::FixedCloseBox);
    setFixedSize(kWidth, kHeight);

    auto *root = new QVBoxLayout(this);
    root->setContentsMargins(6, 6, 6, 0);
    root->setSpacing(3);

    auto edit = [this](const char *name, const char *field) {
        auto *e = named(new DBEdit(this), name);
        e->setDataSource(DMKV->DSCust, QString::fromLatin1(field));
        return e;
    };
    // Tab order follows creation order.
    RzDBEdit2 = edit("RzDBEdit2", "CustName");
    RzDBEdit1 = edit("RzDBEdit1", "CustNo");
    RzDBEdit3 = edit("RzDBEdit3", "Address1");
    // The first address line has no caption of its own: "Address:" beneath the second names both.
    RzDBEdit3->setAccessibleName(tr("Address:"));
    RzDBEdit4 = edit("RzDBEdit4", "Address2");
    RzDBEdit5 = edit("RzDBEdit5", "City");
    RzDBEdit6 = edit("RzDBEdit6", "State");
    RzDBEdit7 = edit("RzDBEdit7", "Zip");
    RzDBEdit8 = edit("RzDBEdit8", "Contact");
    RzDBEdit9 = edit("RzDBEdit9", "Phone");
    RzDBEdit10 = edit("RzDBEdit10", "FAX");
    RzDBEdit11 = edit("RzDBEdit11", "Email");
    RzDBMemo1 = named(new DBMemo(this), "RzDBMemo1");
    RzDBMemo1->setDataSource(DMKV->DSCust, QStringLiteral("Notes"));

    // The masked boxes are as wide as their masks.
    const QFontMetrics fm(RzDBEdit6->font());
    auto fitWidth = [&fm](QWidget *w, int chars) {
        w->setFixedWidth(fm.horizontalAdvance(QLatin1Char('W')) * chars / 2 +
                         fm.horizontalAdvance(QString(chars, QLatin1Char('0'))) / 2 + 12);
    };
    fitWidth(RzDBEdit6, 2);
    fitWidth(RzDBEdit7, 10);

    root->addWidget(captioned(this, RzDBEdit2, tr("Client Name:")));
    auto *numberRow = new QHBoxLayout;
    numberRow->addWidget(captioned(this, RzDBEdit1, tr("Client Number:")));
    numberRow->addStretch(1);
    root->addLayout(numberRow);
    root->addWidget(RzDBEdit3);
    root->addWidget(captioned(this, RzDBEdit4, tr("Address:")));
    auto *cityRow = new QHBoxLayout;
    cityRow->setSpacing(4);
    cityRow->addWidget(captioned(this, RzDBEdit5, tr("City:")), 1);
    cityRow->addWidget(captioned(this, RzDBEdit6, tr("State:")));
    cityRow->addWidget(captioned(this, RzDBEdit7, tr("Zip:")));
    root->addLayout(cityRow);
    root->addWidget(captioned(this, RzDBEdit8, tr("Contact Name:")));
    auto *phoneRow = new QHBoxLayout;
    phoneRow->setSpacing(4);
    phoneRow->addWidget(captioned(this, RzDBEdit9, tr("Phone:")));
    phoneRow->addWidget(captioned(this, RzDBEdit10, tr("Fax:")));
    root->addLayout(phoneRow);
    auto *mailRow = new QHBoxLayout;
    mailRow->setSpacing(2);
    mailRow->addWidget(captioned(this, RzDBEdit11, tr("Email:")), 1);
    tbbEmail = named(new QToolButton(this), "tbbEmail");
    look::setHint(tbbEmail, tr("Email1"));
    tbbEmail->setIcon(glyph(Glyph::Email));
    tbbEmail->setFocusPolicy(Qt::TabFocus);
    tbbEmail->setAutoRaise(true);
    tbbEmail->setFixedSize(23, 22);
    mailRow->addWidget(tbbEmail, 0, Qt::AlignTop);
    root->addLayout(mailRow);
    root->addWidget(captioned(this, RzDBMemo1, tr("Additional Information:")), 1);

    auto *bars = new QHBoxLayout;
    bars->setSpacing(4);
    QBoxLayout *row = nullptr;
    bars->addWidget(strip(this, &row));
    tbbceFirst = button(this, row, "tbbceFirst", tr("First"), Glyph::First);
    tbbcePrior = button(this, row, "tbbcePrior", tr("Previous"), Glyph::Prior);
    tbbceNext = button(this, row, "tbbceNext", tr("Next"), Glyph::Next);
    tbbceLast = button(this, row, "tbbceLast", tr("Last"), Glyph::Last);
    gap(row);
    tbbceAdd = button(this, row, "tbbceAdd", tr("New"), Glyph::Add);
    tbbceEdit = button(this, row, "tbbceEdit", tr("Edit"), Glyph::Edit);
    tbbceDelete = button(this, row, "tbbceDelete", tr("Delete"), Glyph::Delete);
    gap(row);
    tbbcePost = button(this, row, "tbbcePost", tr("Accept"), Glyph::Post);
    tbbceCancel = button(this, row, "tbbceCancel", tr("Reject"), Glyph::Cancel);
    bars->addStretch(1);
    QBoxLayout *closeRow = nullptr;
    bars->addWidget(strip(this, &closeRow));
    tbbceClose = button(this, closeRow, "tbbceClose", tr("Exit"), Glyph::Close);
    root->addLayout(bars);

    StatusBar1 = named(new TableStateLabel(this), "StatusBar1");
    StatusBar1->setTable(DMKV->TBCust);
    root->addWidget(StatusBar1);

    connect(tbbceFirst, &QToolButton::clicked, this, &TfrmdbCliEdit::tbbceFirstClick);
    connect(tbbcePrior, &QToolButton::clicked, this, &TfrmdbCliEdit::tbbcePriorClick);
    connect(tbbceNext, &QToolButton::clicked, this, &TfrmdbCliEdit::tbbceNextClick);
    connect(tbbceLast, &QToolButton::clicked, this, &TfrmdbCliEdit::tbbceLastClick);
    connect(tbbceAdd, &QToolButton::clicked, this, &TfrmdbCliEdit::tbbceAddClick);
    connect(tbbceEdit, &QToolButton::clicked, this, &TfrmdbCliEdit::tbbceEditClick);
    connect(tbbceDelete, &QToolButton::clicked, this, &TfrmdbCliEdit::tbbceDeleteClick);
    connect(tbbcePost, &QToolButton::clicked, this, &TfrmdbCliEdit::tbbcePostClick);
    connect(tbbceCancel, &QToolButton::clicked, this, &TfrmdbCliEdit::tbbceCancelClick);
    connect(tbbceClose, &QToolButton::clicked, this, &TfrmdbCliEdit::tbbceCloseClick);
    connect(tbbEmail, &QToolButton::clicked, this, &TfrmdbCliEdit::tbbEmailClick);

    // The remembered name follows every edit of TBCust, whoever starts it: a client posted by
    // another part of the program must not run a cascade with a name left from an earlier edit.
    m_lastState = static_cast<int>(DMKV->TBCust->state());
    connect(DMKV->TBCust, &StoreTable::stateChanged, this, &TfrmdbCliEdit::trackEditStart);
    DMKV->custAfterPostHook = [this] { afterCustPost(); };
    DMKV->custRenameFromHook = [this] { return OldCustName; };
    NavEnable();
}

TfrmdbCliEdit::~TfrmdbCliEdit()
{
    if (DMKV) {
        DMKV->custAfterPostHook = nullptr;
        DMKV->custRenameFromHook = nullptr;
    }
    if (frmdbCliEdit == this)
        frmdbCliEdit = nullptr;
}

QString TfrmdbCliEdit::duplicateRecordText()
{
    return tr("Duplicate Record.\r\nClient #, Client Name match another client record.\r\n"
              "Please try again. Press F1 for an explanation of key violations.");
}

QString TfrmdbCliEdit::mailtoAddress(const QString &email)
{
    int from = 0;
    int to = int(email.size());
    while (from < to && email.at(from).unicode() <= ' ')
        ++from;
    while (to > from && email.at(to - 1).unicode() <= ' ')
        --to;
    return QStringLiteral("mailto:") + email.mid(from, to - from);
}

void TfrmdbCliEdit::trackEditStart()
{
    const auto previous = static_cast<StoreTable::State>(m_lastState);
    const StoreTable::State now = DMKV->TBCust->state();
    m_lastState = static_cast<int>(now);
    if (now == StoreTable::State::Edit && previous == StoreTable::State::Browse)
        OldCustName = DMKV->TBCustCustName->asString();
    else if (now == StoreTable::State::Insert)
        OldCustName.clear();
}

void TfrmdbCliEdit::afterCustPost()
{
    if (OldCustName != DMKV->TBCustCustName->asString()) {
        // A failure of the cascade is a time record's, not this list's: it must not read as a
        // duplicate entry of the list (the key violation the window reports as its own).
        try {
            UpdateClientName();
        } catch (const StoreError &e) {
            throw StoreError(e.message());
        }
    }
}

void TfrmdbCliEdit::UpdateClientName()
{
    if (OldCustName.isEmpty())
        return;
    renameInTimeLog(*DMKV->TBInout, *DMKV->TBInoutCustName, QStringLiteral("Tinout02"), OldCustName,
                    DMKV->TBCustCustName->asString());
}

void TfrmdbCliEdit::NavEnable()
{
    for (QToolButton *b :
         {tbbceFirst, tbbcePrior, tbbceNext, tbbceLast, tbbceAdd, tbbceEdit, tbbceDelete, tbbEmail})
        b->setEnabled(true);
    tbbcePost->setEnabled(false);
    tbbceCancel->setEnabled(false);
}

void TfrmdbCliEdit::NavDisable()
{
    for (QToolButton *b :
         {tbbceFirst, tbbcePrior, tbbceNext, tbbceLast, tbbceAdd, tbbceEdit, tbbceDelete, tbbEmail})
        b->setEnabled(false);
    tbbcePost->setEnabled(true);
    tbbceCancel->setEnabled(true);
}

void TfrmdbCliEdit::showForViewing()
{
    NavDisable();
    tbbcePost->setEnabled(false);
    tbbceCancel->setEnabled(false);
    tbbEmail->setEnabled(true);
    exec();
}

void TfrmdbCliEdit::tbbceFirstClick()
{
    runAction([&] { DMKV->TBCust->first(); });
}

void TfrmdbCliEdit::tbbcePriorClick()
{
    runAction([&] { DMKV->TBCust->prior(); });
}

void TfrmdbCliEdit::tbbceNextClick()
{
    runAction([&] { DMKV->TBCust->next(); });
}

void TfrmdbCliEdit::tbbceLastClick()
{
    runAction([&] { DMKV->TBCust->last(); });
}

void TfrmdbCliEdit::tbbceAddClick()
{
    runAction([&] {
        OldCustName.clear();
        NavDisable();
        DMKV->TBCust->insert();
        RzDBEdit2->setFocus();
    });
}

void TfrmdbCliEdit::tbbceEditClick()
{
    runAction([&] {
        OldCustName = DMKV->TBCustCustName->asString();
        NavDisable();
        DMKV->TBCust->edit();
        RzDBEdit2->setFocus();
    });
}

void TfrmdbCliEdit::tbbceDeleteClick()
{
    runAction([&] {
        DMKV->TBCust->deleteRecord();
        DMKV->TBCust->refresh();
    });
}

void TfrmdbCliEdit::checkMaskedBoxes()
{
    for (DBEdit *e : {RzDBEdit6, RzDBEdit7, RzDBEdit9, RzDBEdit10})
        if (!e->isValueComplete()) {
            e->setFocus();
            throw StoreError(invalidMaskInputMessage());
        }
}

void TfrmdbCliEdit::tbbcePostClick()
{
    runAction([&] {
        checkMaskedBoxes();
        try {
            DMKV->TBCust->post();
        } catch (const StoreError &e) {
            if (e.code() != StoreError::kKeyViolation)
                throw; // any other refusal is shown in the standard error box
            Services::instance().messages().error(duplicateRecordText(), kKeyViolationHelp);
            return;
        }
        DMKV->TBCust->refresh();
        NavEnable();
    });
}

void TfrmdbCliEdit::tbbceCancelClick()
{
    runAction([&] {
        DMKV->TBCust->cancel();
        NavEnable();
    });
}

void TfrmdbCliEdit::tbbceCloseClick()
{
    runAction([&] {
        StoreTable &cust = *DMKV->TBCust;
        if (cust.state() != StoreTable::State::Browse) {
            const MsgAnswer a = Services::instance().messages().show(
                MsgKind::Information, tr("Save Changes?"), MsgButtons::YesNo);
            if (a == MsgAnswer::Yes) {
                checkMaskedBoxes();
                cust.post();
                cust.refresh();
            } else {
                cust.cancel();
            }
        }
        accept();
    });
}

void TfrmdbCliEdit::tbbEmailClick()
{
    runAction([&] {
        const QString email = DMKV->TBCustEmail->asString();
        if (email.trimmed().isEmpty() || DMKV->TBCust->state() != StoreTable::State::Browse)
            return;
        const QUrl address(mailtoAddress(email), QUrl::TolerantMode);
        openOrTell(address, cannotOpenText(address));
    });
}

} // namespace kv
