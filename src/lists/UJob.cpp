// The job-type window: its grid and toolbar, Accept, and the rename cascade.
#include "UJob.h"
#include "WindowBorder.h"

#include "DBGrid.h"
#include "HelpContext.h"
#include "KVDM.h"
#include "ListTools.h"
#include "RenameCascade.h"
#include "Services.h"
#include "TableStateLabel.h"

#include <QBoxLayout>
#include <QFrame>
#include <QHeaderView>
#include <QIdentityProxyModel>
#include <QToolButton>

namespace kv {

TFJobType *FJobType = nullptr;

namespace {

constexpr int kWidth = 300;
constexpr int kHeight = 245;

/// The grid's column titles, which differ from the fields' labels ("Code" for "Job Code"); the
/// labels stay what the required-field message names.
class TitleProxy : public QIdentityProxyModel
{
public:
    TitleProxy(QStringList titles, QObject *parent)
        : QIdentityProxyModel(parent), m_titles(std::move(titles))
    {}
    QVariant headerData(int section, Qt::Orientation o, int role) const override
    {
        if (o == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 &&
            section < m_titles.size())
            return m_titles.at(section);
        return QIdentityProxyModel::headerData(section, o, role);
    }

private:
    QStringList m_titles;
};

} // namespace

TFJobType::TFJobType(QWidget *parent) : QDialog(parent)
{
    using namespace listtools;
    setObjectName(QStringLiteral("FJobType"));
    setWindowTitle(tr("Job Type Maintenance"));
    look::setBorder(this, look::Border::FixedCloseBox);
    setFixedSize(kWidth, kHeight);
    installHelpContext(this, kHelpContext);

    auto *root = new QVBoxLayout(this);
    root->setContentsMargins(0, 0, 0, 0);
    root->setSpacing(0);

    dbgJobType = new DBGrid(this);
    dbgJobType->setObjectName(QStringLiteral("dbgJobType"));
    dbgJobType->setAccessibleName(tr("Job Type"));
    // Both columns show while a description is edited: they share the window's width.
    dbgJobType->fitToWidth = true;
    dbgJobType->setDataSource(DMKV->DSJobCode);
    dbgJobType->setColumns({QStringLiteral("JobCode"), QStringLiteral("JobDes")});
    auto *titles = new TitleProxy({tr("Code"), tr("Job Type")}, dbgJobType);
    titles->setSourceModel(dbgJobType->gridModel());
    dbgJobType->horizontalHeader()->setModel(titles);
    dbgJobType->applyDisplayWidths();
    root->addWidget(dbgJobType, 1);

    QBoxLayout *row = nullptr;
    QFrame *bar = strip(this, &row);
    navjFirst = button(bar, row, "navjFirst", tr("First"), Glyph::First);
    navjPrior = button(bar, row, "navjPrior", tr("Previous"), Glyph::Prior);
    navjNext = button(bar, row, "navjNext", tr("Next"), Glyph::Next);
    navjLast = button(bar, row, "navjLast", tr("Last"), Glyph::Last);
    gap(row);
    bbjAdd = button(bar, row, "bbjAdd", tr("New"), Glyph::Add);
    bbjEdit = button(bar, row, "bbjEdit", tr("Edit"), Glyph::Edit);
    bbjDelete = button(bar, row, "bbjDelete", tr("Delete"), Glyph::Delete);
    gap(row);
    bbjPost = button(bar, row, "bbjPost", tr("Accept"), Glyph::Post);
    bbjCancel = button(bar, row, "bbjCancel", tr("Reject"), Glyph::Cancel);
    row->addStretch(1);
    root->addWidget(bar);

    StatusBar1 = new TableStateLabel(this);
    StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
    StatusBar1->setTable(DMKV->TBJobCode);
    root->addWidget(StatusBar1);

    connect(navjFirst, &QToolButton::clicked, this, &TFJobType::navjFirstClick);
    connect(navjPrior, &QToolButton::clicked, this, &TFJobType::navjPriorClick);
    connect(navjNext, &QToolButton::clicked, this, &TFJobType::navjNextClick);
    connect(navjLast, &QToolButton::clicked, this, &TFJobType::navjLastClick);
    connect(bbjAdd, &QToolButton::clicked, this, &TFJobType::bbjAddClick);
    connect(bbjEdit, &QToolButton::clicked, this, &TFJobType::bbjEditClick);
    connect(bbjDelete, &QToolButton::clicked, this, &TFJobType::bbjDeleteClick);
    connect(bbjPost, &QToolButton::clicked, this, &TFJobType::bbjPostClick);
    connect(bbjCancel, &QToolButton::clicked, this, &TFJobType::bbjCancelClick);
    connect(dbgJobType, &DBGrid::rowChanged, this, &TFJobType::dbgJobTypeRowChanged);
    connect(DMKV->TBJobCode, &StoreTable::fieldChanged, this, [this] {
        if (isVisible())
            dbgJobTypeFieldChanged();
    });

    // OldJobDes follows every start of an edit and of a new record, by button or by the grid.
    m_lastState = static_cast<int>(DMKV->TBJobCode->state());
    connect(DMKV->TBJobCode, &StoreTable::stateChanged, this, &TFJobType::trackState);
    DMKV->jobAfterPostHook = [this] { afterJobPost(); };
    DMKV->jobRenameFromHook = [this] { return OldJobDes; };
    NavEnable();
}

TFJobType::~TFJobType()
{
    if (DMKV) {
        DMKV->jobAfterPostHook = nullptr;
        DMKV->jobRenameFromHook = nullptr;
    }
    if (FJobType == this)
        FJobType = nullptr;
}

QString TFJobType::duplicateRecordText()
{
    return tr("Duplicate Record.\r\nJob Code, Job Desscription match another job type record.\r\n"
              "Please try again. Press F1 for an explanation of key violations.");
}

void TFJobType::trackState()
{
    const auto previous = static_cast<StoreTable::State>(m_lastState);
    const StoreTable::State now = DMKV->TBJobCode->state();
    m_lastState = static_cast<int>(now);
    if (now == StoreTable::State::Edit && previous == StoreTable::State::Browse)
        OldJobDes = DMKV->TBJobCodeJobDes->asString();
    else if (now == StoreTable::State::Insert)
        OldJobDes.clear();
    // Typing into the grid starts an edit: the buttons follow, as after "Edit".
    if (isVisible() && (now == StoreTable::State::Edit || now == StoreTable::State::Insert))
        NavDisable();
}

void TFJobType::afterJobPost()
{
    if (OldJobDes != DMKV->TBJobCodeJobDes->asString()) {
        // A failure of the cascade is a time record's, not this list's: it must not read as a
        // duplicate entry of the list (the key violation the window reports as its own).
        try {
            UpdateJobDes();
        } catch (const StoreError &e) {
            throw StoreError(e.message());
        }
    }
}

void TFJobType::UpdateJobDes()
{
    if (OldJobDes.isEmpty())
        return;
    renameInTimeLog(*DMKV->TBInout, *DMKV->TBInoutJobDes, QStringLiteral("Tinout03"), OldJobDes,
                    DMKV->TBJobCodeJobDes->asString());
}

void TFJobType::NavEnable()
{
    for (QToolButton *b : {navjFirst, navjPrior, navjNext, navjLast, bbjAdd, bbjEdit, bbjDelete})
        b->setEnabled(true);
    bbjPost->setEnabled(false);
    bbjCancel->setEnabled(false);
}

void TFJobType::NavDisable()
{
    for (QToolButton *b : {navjFirst, navjPrior, navjNext, navjLast, bbjAdd, bbjEdit, bbjDelete})
        b->setEnabled(false);
    bbjPost->setEnabled(true);
    bbjCancel->setEnabled(true);
}

void TFJobType::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    FormShow();
}

void TFJobType::FormShow()
{
    runAction([&] { NavEnable(); });
}

void TFJobType::navjFirstClick()
{
    runAction([&] { DMKV->TBJobCode->first(); });
}

void TFJobType::navjPriorClick()
{
    runAction([&] { DMKV->TBJobCode->prior(); });
}

void TFJobType::navjNextClick()
{
    runAction([&] { DMKV->TBJobCode->next(); });
}

void TFJobType::navjLastClick()
{
    runAction([&] { DMKV->TBJobCode->last(); });
}

void TFJobType::bbjAddClick()
{
    runAction([&] {
        DMKV->TBJobCode->insert();
        NavDisable();
        dbgJobType->setFocus();
    });
}

void TFJobType::bbjEditClick()
{
    runAction([&] {
        NavDisable();
        DMKV->TBJobCode->edit();
        dbgJobType->setFocus();
    });
}

void TFJobType::bbjDeleteClick()
{
    runAction([&] {
        if (DMKV->TBJobCode->isEmpty())
            return;
        if (Services::instance().messages().warnYesNo(tr("Kestrova: Delete record?")))
            DMKV->TBJobCode->deleteRecord();
    });
}

void TFJobType::bbjPostClick()
{
    runAction([&] {
        dbgJobType->commitEditor();
        try {
            DMKV->TBJobCode->post();
        } catch (const StoreError &e) {
            if (e.code() != StoreError::kKeyViolation)
                throw; // any other refusal is shown in the standard error box
            Services::instance().messages().error(duplicateRecordText(), kKeyViolationHelp);
            return;
        }
        NavEnable();
    });
}

void TFJobType::bbjCancelClick()
{
    runAction([&] {
        dbgJobType->discardEditor();
        DMKV->TBJobCode->cancel();
        NavEnable();
    });
}

void TFJobType::dbgJobTypeRowChanged()
{
    // A row added from the keyboard is a change of row too; it leaves the buttons editing.
    runAction([&] {
        if (DMKV->TBJobCode->state() == StoreTable::State::Browse)
            NavEnable();
        else
            NavDisable();
    });
}

void TFJobType::dbgJobTypeFieldChanged()
{
    runAction([&] { NavDisable(); });
}

void TFJobType::FormClose()
{
    runAction([&] {
        dbgJobType->discardEditor();
        StoreTable &job = *DMKV->TBJobCode;
        if (job.state() == StoreTable::State::Edit || job.state() == StoreTable::State::Insert)
            job.cancel();
        job.refresh();
        DMKV->TBJobList->refresh();
    });
}

void TFJobType::done(int result)
{
    FormClose();
    QDialog::done(result);
}

} // namespace kv
