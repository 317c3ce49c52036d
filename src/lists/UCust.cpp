// The client list: its grid, its buttons and the openers of the client editor.
#include "UCust.h"
#include "WindowBorder.h"

#include "DBGrid.h"
#include "HelpContext.h"
#include "KVDM.h"
#include "ListTools.h"
#include "Services.h"
#include "UCliEditpas.h"

#include <QBoxLayout>
#include <QFrame>
#include <QHeaderView>
#include <QKeyEvent>
#include <QToolButton>

namespace kv {

TFCust *FCust = nullptr;

namespace {
constexpr int kWidth = 235;
constexpr int kHeight = 214;
} // namespace

TFCust::TFCust(QWidget *parent) : QDialog(parent)
{
    using namespace listtools;
    setObjectName(QStringLiteral("FCust"));
    setWindowTitle(tr("Client Maintenance"));
    look::setBorder(this, look::Border::FixedCloseBox);
    setFixedSize(kWidth, kHeight);
    installHelpContext(this, kHelpContext);

    auto *root = new QVBoxLayout(this);
    root->setContentsMargins(0, 0, 0, 0);
    root->setSpacing(0);

    dbgCustomer = new DBGrid(this);
    dbgCustomer->setObjectName(QStringLiteral("dbgCustomer"));
    dbgCustomer->setAccessibleName(tr("Client Name"));
    dbgCustomer->setDataSource(DMKV->DSCust);
    dbgCustomer->setColumns({QStringLiteral("CustName")});
    dbgCustomer->setEditTriggers(QAbstractItemView::NoEditTriggers);
    QFont bold = dbgCustomer->horizontalHeader()->font();
    bold.setBold(true);
    dbgCustomer->horizontalHeader()->setFont(bold);
    dbgCustomer->installEventFilter(this);
    root->addWidget(dbgCustomer, 1);

    QBoxLayout *row = nullptr;
    QFrame *bar = strip(this, &row);
    navcFirst = button(bar, row, "navcFirst", tr("First"), Glyph::First);
    navcPrior = button(bar, row, "navcPrior", tr("Previous"), Glyph::Prior);
    navcNext = button(bar, row, "navcNext", tr("Next"), Glyph::Next);
    navcLast = button(bar, row, "navcLast", tr("Last"), Glyph::Last);
    gap(row);
    bbcAdd = button(bar, row, "bbcAdd", tr("New"), Glyph::Add);
    bbcEdit = button(bar, row, "bbcEdit", tr("Edit"), Glyph::Edit);
    bbcDelete = button(bar, row, "bbcDelete", tr("Delete"), Glyph::Delete);
    gap(row);
    bbcView = button(bar, row, "bbcView", tr("View"), Glyph::View);
    row->addStretch(1);
    root->addWidget(bar);

    connect(navcFirst, &QToolButton::clicked, this, &TFCust::navcFirstClick);
    connect(navcPrior, &QToolButton::clicked, this, &TFCust::navcPriorClick);
    connect(navcNext, &QToolButton::clicked, this, &TFCust::navcNextClick);
    connect(navcLast, &QToolButton::clicked, this, &TFCust::navcLastClick);
    connect(bbcAdd, &QToolButton::clicked, this, &TFCust::bbcAddClick);
    connect(bbcEdit, &QToolButton::clicked, this, &TFCust::bbcEditClick);
    connect(bbcDelete, &QToolButton::clicked, this, &TFCust::bbcDeleteClick);
    connect(bbcView, &QToolButton::clicked, this, &TFCust::bbcViewClick);
}

TFCust::~TFCust()
{
    if (FCust == this)
        FCust = nullptr;
}

void TFCust::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    FormShow();
}

bool TFCust::eventFilter(QObject *watched, QEvent *event)
{
    // The list is not edited in place: the grid's keys for adding and deleting rows do nothing.
    if (watched == dbgCustomer && event->type() == QEvent::KeyPress) {
        auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() == Qt::Key_Insert ||
            (key->key() == Qt::Key_Delete && key->modifiers() == Qt::ControlModifier))
            return true;
    }
    return QDialog::eventFilter(watched, event);
}

void TFCust::NavEnable()
{
    for (QToolButton *b : {navcFirst, navcPrior, navcNext, navcLast, bbcAdd, bbcEdit, bbcDelete})
        b->setEnabled(true);
}

void TFCust::FormShow()
{
    runAction([&] { NavEnable(); });
}

void TFCust::navcFirstClick()
{
    runAction([&] { DMKV->TBCust->first(); });
}

void TFCust::navcPriorClick()
{
    runAction([&] { DMKV->TBCust->prior(); });
}

void TFCust::navcNextClick()
{
    runAction([&] { DMKV->TBCust->next(); });
}

void TFCust::navcLastClick()
{
    runAction([&] { DMKV->TBCust->last(); });
}

void TFCust::bbcAddClick()
{
    runAction([&] {
        DMKV->TBCust->insert();
        frmdbCliEdit->OldCustName.clear();
        frmdbCliEdit->NavDisable();
        frmdbCliEdit->exec();
    });
}

void TFCust::bbcEditClick()
{
    runAction([&] {
        frmdbCliEdit->OldCustName = DMKV->TBCustCustName->asString();
        frmdbCliEdit->NavDisable();
        DMKV->TBCust->edit();
        frmdbCliEdit->exec();
    });
}

void TFCust::bbcDeleteClick()
{
    runAction([&] {
        if (DMKV->TBCust->isEmpty())
            return;
        if (Services::instance().messages().warnYesNo(tr("Kestrova: Delete record?")))
            DMKV->TBCust->deleteRecord();
    });
}

void TFCust::bbcViewClick()
{
    runAction([&] {
        frmdbCliEdit->NavEnable();
        frmdbCliEdit->exec();
    });
}

void TFCust::FormClose()
{
    runAction([&] {
        StoreTable &cust = *DMKV->TBCust;
        if (cust.state() == StoreTable::State::Edit || cust.state() == StoreTable::State::Insert)
            cust.cancel();
        cust.refresh();
        DMKV->TBCustList->refresh();
    });
}

void TFCust::done(int result)
{
    FormClose();
    QDialog::done(result);
}

} // namespace kv
