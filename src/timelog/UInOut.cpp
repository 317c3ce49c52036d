// TFInOut: the time-log window, its toolbar modes, its grid rules (title colours, sort by title,
// reversed times) and its handlers.
#include "UInOut.h"

#include "StoreBatch.h"
#include "TableStateLabel.h"

#include "DBGrid.h"
#include "FilterDialog.h"
#include "FormatSettings.h"
#include "HoursRule.h"
#include "KVDM.h"
#include "LookupCombo.h"
#include "MemoDialog.h"
#include "Services.h"
#include "Settings.h"
#include "TimeLogExport.h"
#include "TimeLogReport.h"
#include "ULogTask.h"
#include "WindowLook.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QScreen>
#include <QShortcut>
#include <QStyle>
#include <QTimeEdit>
#include <QToolButton>
#include <QVBoxLayout>
#include <cmath>

namespace kv {

TFInOut *FInOut = nullptr;

namespace {

const QColor kRed(255, 0, 0);
const QColor kYellow(255, 255, 0);
const QColor kGreen(0, 128, 0);
const QColor kNavy(0, 0, 128);
const QColor kBlue(0, 0, 255);

const QString kSizeKey = QStringLiteral("TimeLog/Size");
constexpr int kTotalPrecision = 10;
constexpr int kTotalDecimals = 4;

const QString kDuplicateText = QStringLiteral(
    "Duplicate Record.\r\nDate, Client, Job Type, In Time and Out Time match another log "
    "record.\r\nPlease try again. Press F1 for an explanation of key violations.");
const QString kEmptyClientsText = QStringLiteral(
    "The Client Listing is empty !\r\n\r\nTo enter clients into the Client Listing, close the "
    "Time Log form,\r\nFrom the Main form click Menu, select Kestrova Configuration, click the "
    "\r\nClient Listing button.\r\n\r\nPress F1 to find out how to enter Client information.");
const QString kEmptyJobsText = QStringLiteral(
    "The Job Type Listing is empty !\r\n\r\nTo enter job types into the Job Type Listing, close "
    "the Time Log form,\r\nFrom the Main form click Menu, select Kestrova Configuration, click "
    "the \r\nJob Type Listing button.\r\n\r\nPress F1 to find out how to enter Job Type "
    "information.");
const QString kDeleteAllText = QStringLiteral(
    "Kestrova: This will delete all records\r\nin the current Kestrova Log view.\r\nAre you sure?");

/// The note symbol: a yellow sheet with a folded corner and three lines of writing.
QIcon drawNoteImage()
{
    QPixmap pm(16, 16);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setPen(QColor(128, 128, 0));
    p.setBrush(QColor(255, 255, 160));
    p.drawPolygon(
        QPolygon({QPoint(2, 1), QPoint(10, 1), QPoint(14, 5), QPoint(14, 15), QPoint(2, 15)}));
    p.drawLine(10, 1, 10, 5);
    p.drawLine(10, 5, 14, 5);
    p.setPen(kNavy);
    for (int y : {7, 9, 11, 13})
        p.drawLine(4, y, 12, y);
    p.end();
    return QIcon(pm);
}

QToolButton *toolButton(QWidget *parent, const char *name, const QString &hint, ToolIcon icon,
                        const QString &caption = QString())
{
    // Tab reaches the record buttons; a click leaves the focus in the grid (its editor keeps
    // its text).
    return look::toolButton(parent, name, hint, icon, caption);
}

QLabel *label(QWidget *parent, const QString &text, const char *name = nullptr)
{
    auto *l = new QLabel(text, parent);
    if (name)
        l->setObjectName(QString::fromLatin1(name));
    return l;
}

bool isEditing(const StoreTable &t)
{
    return t.state() == StoreTable::State::Edit || t.state() == StoreTable::State::Insert;
}

} // namespace

QString TotalHoursText(double sum)
{
    // Ten significant digits, then four decimals; beyond ten whole digits, scientific notation.
    if (sum == 0.0)
        sum = 0.0; // no "-0.0000"
    const double magnitude = std::fabs(sum);
    QString text;
    if (magnitude >= std::pow(10.0, kTotalPrecision)) {
        text = QString::number(sum, 'E', kTotalDecimals);
    } else {
        const int whole = magnitude < 1.0 ? 1 : int(std::floor(std::log10(magnitude))) + 1;
        const int kept = std::max(0, kTotalPrecision - whole);
        const double scale = std::pow(10.0, kept);
        const double rounded = std::round(sum * scale) / scale;
        text = QString::number(rounded == 0.0 ? 0.0 : rounded, 'f', kTotalDecimals);
    }
    const QChar separator = FormatSettings::instance().decimalSeparator;
    if (!separator.isNull() && separator != u'.')
        text.replace(u'.', separator);
    return text;
}

TFInOut::TFInOut(TDMKV &dm, TfLogTask *logTask, QWidget *parent)
    : QDialog(parent), m_dm(dm), m_logTask(logTask)
{
    setObjectName(QStringLiteral("FInOut"));
    setWindowTitle(tr("Kestrova Log"));
    // The system menu and the close box only; the user may enlarge the window from its drawn
    // size, which stays the smallest, and the grid takes the room.
    setWindowFlags(look::windowFlags(look::Border::FixedSystemMenu) &
                   ~Qt::MSWindowsFixedSizeDialogHint);
    setMinimumSize(kClientWidth, kClientHeight);
    resize(savedSize());
    setProperty("helpContext", kHelpContext);
    noteImage = drawNoteImage();

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    buildHeader();
    buildGrid();
    buildToolbar();
    StatusBar1 = label(this, QString(), "StatusBar1");
    StatusBar1->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    StatusBar1->setContentsMargins(4, 0, 4, 0);
    layout->addWidget(Panel1);
    layout->addWidget(GRInout, 1);
    layout->addWidget(findChild<QWidget *>(QStringLiteral("pToolbar")));
    layout->addWidget(StatusBar1);

    fdInOut = new FilterDialog(this);
    fdInOut->setObjectName(QStringLiteral("fdInOut"));
    fdInOut->setWindowTitle(tr("Kestrova - Time Log Filter Setup"));
    fdInOut->setTable(m_dm.TBInout, {QStringLiteral("WDate"), QStringLiteral("CustName"),
                                     QStringLiteral("JobDes"), QStringLiteral("Billable"),
                                     QStringLiteral("Hours")});
    mdNotes = new MemoDialog(this);
    mdNotes->setObjectName(QStringLiteral("mdNotes"));
    mdNotes->setWindowTitle(tr("Time Record Notes"));
    mdNotes->memo->setAccessibleName(tr("Time Record Notes"));
    mdNotes->resize(350, 200);
    QFont sans(QStringLiteral("MS Sans Serif"));
    sans.setStyleHint(QFont::SansSerif);
    sans.setPointSize(8);
    mdNotes->setFont(sans);
    mdNotes->setField(m_dm.TBInout, QStringLiteral("Notes"));

    auto *f1 = new QShortcut(QKeySequence(Qt::Key_F1), this);
    connect(f1, &QShortcut::activated, this,
            [] { runAction([] { Services::instance().help().showContext(kHelpContext); }); });

    StoreTable *inout = m_dm.TBInout;
    connect(inout, &StoreTable::stateChanged, this, [this] {
        showState();
        // Any change of a pending record puts the window into edit mode: typing into a cell
        // starts the edit before a field is written.
        if (isEditing(*m_dm.TBInout))
            NavDisable();
        // A record that went back to browse state (a new record the rules refused, a post
        // or cancel from elsewhere) takes the toolbar with it.
        else if (m_dm.TBInout->state() == StoreTable::State::Browse)
            NavEnable();
    });
    connect(inout, &StoreTable::fieldChanged, this, [this] { GRInoutFieldChanged(); });

    m_dm.inoutNewRecordHook = [this] {
        NavDisable();
        GRInout->selectField(QStringLiteral("WDate"));
    };
    m_dm.inoutAfterPostHook = [this] {
        GRInout->viewport()->update();
        TotalHours();
    };

    pTotalHours->hide();
    lFiltered->hide();
    showState();
    NavEnable();
}

TFInOut::~TFInOut()
{
    // Neither the rules nor the grid's painting may call into a window that is being taken
    // apart.
    if (DBGridModel *model = GRInout->gridModel()) {
        model->titleAttributes = nullptr;
        model->titleImage = nullptr;
        model->cellColors = nullptr;
        model->cellImage = nullptr;
    }
    m_dm.inoutNewRecordHook = nullptr;
    m_dm.inoutAfterPostHook = nullptr;
    if (FInOut == this)
        FInOut = nullptr;
}

// ---- building ----

void TFInOut::buildHeader()
{
    Panel1 = new QFrame(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setFrameStyle(QFrame::Panel | QFrame::Raised);
    auto *row = new QHBoxLayout(Panel1);
    row->setContentsMargins(4, 2, 4, 2);
    row->setSpacing(3);

    auto red = [](QLabel *l) {
        l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        QPalette p = l->palette();
        p.setColor(QPalette::WindowText, kRed);
        l->setPalette(p);
        l->setMinimumWidth(18);
        return l;
    };
    row->addWidget(label(Panel1, tr("Billing Incr:")));
    row->addWidget(DBText1 = red(label(Panel1, QString(), "DBText1")));
    row->addWidget(label(Panel1, tr("min")));
    row->addWidget(label(Panel1, tr("-  Min Billing Time:")));
    row->addWidget(DBText2 = red(label(Panel1, QString(), "DBText2")));
    row->addWidget(label(Panel1, tr("min")));
    row->addSpacing(8);

    pTotalHours = new QFrame(Panel1);
    pTotalHours->setObjectName(QStringLiteral("pTotalHours"));
    pTotalHours->setAutoFillBackground(true);
    QPalette white = pTotalHours->palette();
    white.setColor(QPalette::Window, Qt::white);
    pTotalHours->setPalette(white);
    pTotalHours->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    auto *total = new QHBoxLayout(pTotalHours);
    total->setContentsMargins(4, 0, 4, 0);
    total->addWidget(label(pTotalHours, tr("Total Hours:")));
    lHours = label(pTotalHours, QString(), "lHours");
    QFont bold = lHours->font();
    bold.setBold(true);
    lHours->setFont(bold);
    QPalette blue = lHours->palette();
    blue.setColor(QPalette::WindowText, kBlue);
    lHours->setPalette(blue);
    total->addWidget(lHours);
    row->addWidget(pTotalHours);

    lFiltered = label(Panel1, tr("Filtered"), "lFiltered");
    lFiltered->setFont(bold);
    QPalette green = lFiltered->palette();
    green.setColor(QPalette::WindowText, kGreen);
    lFiltered->setPalette(green);
    row->addWidget(lFiltered);
    row->addStretch();
    // The green word never touches the brand labels, however narrow the strip.
    row->addSpacing(10);

    QFont brand = bold;
    brand.setItalic(true);
    QLabel *orvelane = label(Panel1, QStringLiteral("Orvelane"), "lOrvelane");
    orvelane->setFont(brand);
    QPalette navy = orvelane->palette();
    navy.setColor(QPalette::WindowText, kNavy);
    orvelane->setPalette(navy);
    QLabel *kestrova = label(Panel1, QStringLiteral(" Kestrova "), "lKestrova");
    kestrova->setFont(brand);
    kestrova->setAutoFillBackground(true);
    QPalette onNavy = kestrova->palette();
    onNavy.setColor(QPalette::Window, kNavy);
    onNavy.setColor(QPalette::WindowText, kYellow);
    kestrova->setPalette(onNavy);
    row->addWidget(orvelane);
    row->addWidget(kestrova);
}

void TFInOut::buildGrid()
{
    GRInout = new DBGrid(this);
    GRInout->setObjectName(QStringLiteral("GRInout"));
    GRInout->setAccessibleName(tr("Time Log"));
    GRInout->fitToWidth = true;
    // The window's 8-point face: 11 pixels high.
    QFont gridFont = GRInout->font();
    gridFont.setPixelSize(11);
    GRInout->setFont(gridFont);
    GRInout->verticalHeader()->setDefaultSectionSize(QFontMetrics(gridFont).height() + 5);
    GRInout->setColumnEditor(QStringLiteral("CustName"),
                             [this](QWidget *parent) { return createClientEditor(parent); });
    GRInout->setColumnEditor(QStringLiteral("JobDes"),
                             [this](QWidget *parent) { return createJobEditor(parent); });
    auto timePicker = [](const char *name) {
        return [name](QWidget *parent) -> QWidget * {
            auto *picker = new QTimeEdit(parent);
            picker->setObjectName(QString::fromLatin1(name));
            picker->setDisplayFormat(QStringLiteral("h:mm AP"));
            picker->setButtonSymbols(QAbstractSpinBox::NoButtons);
            return picker;
        };
    };
    GRInout->setColumnEditor(QStringLiteral("TimeIn"), timePicker("dtpTimeIn"));
    GRInout->setColumnEditor(QStringLiteral("TimeOut"), timePicker("dtpTimeOut"));
    GRInout->setDataSource(m_dm.DSInout);
    GRInout->setColumns(
        {QStringLiteral("WDate"), QStringLiteral("CustName"), QStringLiteral("JobDes"),
         QStringLiteral("TaskDes"), QStringLiteral("TimeIn"), QStringLiteral("TimeOut"),
         QStringLiteral("Hours"), QStringLiteral("Billable"), QStringLiteral("IsNote")});

    DBGridModel *model = GRInout->gridModel();
    model->imageOnlyFields = {QStringLiteral("IsNote")};
    // GRInoutCalcTitleAttributes: the title of the column that sets the order is red.
    model->titleAttributes = [this](const Field &f, QColor &color, Qt::Alignment &alignment) {
        const QString index = m_dm.TBInout->indexName();
        const QString &name = f.fieldName();
        const bool orders =
            (name == QLatin1String("CustName") && index == QLatin1String("Tinout02")) ||
            (name == QLatin1String("JobDes") && index == QLatin1String("Tinout03")) ||
            (name == QLatin1String("WDate") && index == QLatin1String("Tinout01"));
        if (orders) {
            color = kRed;
        } else if (name == QLatin1String("Billable")) {
            color = kGreen;
            alignment = Qt::AlignHCenter;
        } else {
            color = Qt::black;
        }
        if (name == QLatin1String("Hours"))
            alignment = Qt::AlignRight;
        else if (name == QLatin1String("TimeIn") || name == QLatin1String("TimeOut"))
            alignment = Qt::AlignHCenter;
    };
    // GRInoutCalcTitleImage: the note column's title shows the note image.
    model->titleImage = [this](const Field &f) {
        return f.fieldName() == QLatin1String("IsNote") ? noteImage : QIcon();
    };
    // GRInoutCalcCellColors: reversed times are red on yellow. A time-out of 00:00 is the end of
    // the day, as the hours rule reads it, so it is not reversed.
    model->cellColors = [](const Field &f, const GridRow &row, bool highlighted, QColor &text,
                           QColor &background) {
        if (f.fieldName() != QLatin1String("TimeIn") && f.fieldName() != QLatin1String("TimeOut"))
            return;
        const QVariant in = row.value(QStringLiteral("TimeIn"));
        const QVariant out = row.value(QStringLiteral("TimeOut"));
        if (!in.isValid() || !out.isValid())
            return;
        const double timeIn = in.toDouble();
        if (effectiveTimeOut(timeIn, out.toDouble()) < timeIn) {
            text = kRed;
            if (!highlighted)
                background = kYellow;
        }
    };
    // The note column: image 0 for a record with a note (IsNote 0), nothing for -1.
    model->cellImage = [this](const Field &f, const GridRow &row) {
        if (f.fieldName() != QLatin1String("IsNote"))
            return QIcon();
        const QVariant v = row.value(QStringLiteral("IsNote"));
        return v.isValid() && v.toInt() == 0 ? noteImage : QIcon();
    };

    connect(GRInout, &DBGrid::rowChanged, this, &TFInOut::GRInoutRowChanged);
    connect(GRInout, &DBGrid::titleButtonClick, this, &TFInOut::GRInoutTitleButtonClick);
    connect(GRInout, &DBGrid::colEnter, this, &TFInOut::GRInoutColEnter);
    connect(GRInout, &DBGrid::dblClick, this, &TFInOut::GRInoutDblClick);
}

QWidget *TFInOut::createClientEditor(QWidget *parent)
{
    auto *combo = new LookupCombo(parent);
    combo->setObjectName(QStringLiteral("dblcCust"));
    combo->setMinimumContentsLength(30);
    runAction([&] { combo->setListSource(m_dm.TBCustList, QStringLiteral("CustName")); });
    combo->lineEdit()->installEventFilter(this);
    combo->installEventFilter(this);
    return combo;
}

QWidget *TFInOut::createJobEditor(QWidget *parent)
{
    auto *combo = new LookupCombo(parent);
    combo->setObjectName(QStringLiteral("dblcJobType"));
    runAction([&] { combo->setListSource(m_dm.TBJobList, QStringLiteral("JobDes")); });
    combo->installEventFilter(this);
    combo->lineEdit()->installEventFilter(this);
    return combo;
}

void TFInOut::buildToolbar()
{
    auto *bar = new QWidget(this);
    bar->setObjectName(QStringLiteral("pToolbar"));
    auto *row = new QHBoxLayout(bar);
    row->setContentsMargins(2, 1, 2, 1);
    row->setSpacing(0);
    auto add = [&](QToolButton *b, void (TFInOut::*handler)()) {
        row->addWidget(b);
        connect(b, &QToolButton::clicked, this, handler);
        return b;
    };
    auto gap = [&] { row->addSpacing(6); };
    navcFirst =
        add(toolButton(bar, "navcFirst", tr("First"), ToolIcon::First), &TFInOut::navcFirstClick);
    navcPrior = add(toolButton(bar, "navcPrior", tr("Previous"), ToolIcon::Prior),
                    &TFInOut::navcPriorClick);
    navcNext =
        add(toolButton(bar, "navcNext", tr("Next"), ToolIcon::Next), &TFInOut::navcNextClick);
    navcLast =
        add(toolButton(bar, "navcLast", tr("Last"), ToolIcon::Last), &TFInOut::navcLastClick);
    gap();
    bbcAdd = add(toolButton(bar, "bbcAdd", tr("New"), ToolIcon::New), &TFInOut::bbcAddClick);
    bbcEdit = add(toolButton(bar, "bbcEdit", tr("Edit"), ToolIcon::Edit), &TFInOut::bbcEditClick);
    bbcCopy = add(toolButton(bar, "bbcCopy", tr("Copy"), ToolIcon::Copy), &TFInOut::bbcCopyClick);
    bbcDelete =
        add(toolButton(bar, "bbcDelete", tr("Delete"), ToolIcon::Delete), &TFInOut::bbcDeleteClick);
    bClearAll = add(toolButton(bar, "bClearAll", tr("Delete All"), ToolIcon::DeleteAll, tr("All")),
                    &TFInOut::bClearAllClick);
    gap();
    tbbLogTask = add(toolButton(bar, "tbbLogTask", tr("View/Edit Task"), ToolIcon::Task),
                     &TFInOut::tbbLogTaskClick);
    gap();
    bbcPost =
        add(toolButton(bar, "bbcPost", tr("Accept"), ToolIcon::Accept), &TFInOut::bbcPostClick);
    bbcCancel =
        add(toolButton(bar, "bbcCancel", tr("Reject"), ToolIcon::Reject), &TFInOut::bbcCancelClick);
    gap();
    bbcExport =
        add(toolButton(bar, "bbcExport", tr("Export"), ToolIcon::Export), &TFInOut::bbcExportClick);
    gap();
    sbFilter = add(toolButton(bar, "sbFilter", tr("Time Log Filter"), ToolIcon::Filter),
                   &TFInOut::sbFilterClick);
    tbbClearFilter =
        add(toolButton(bar, "tbbClearFilter", tr("Clear Filter"), ToolIcon::ClearFilter),
            &TFInOut::tbbClearFilterClick);
    gap();
    sbPrnSetup = add(toolButton(bar, "sbPrnSetup", tr("Printer Setup"), ToolIcon::PrinterSetup),
                     &TFInOut::sbPrnSetupClick);
    sbPreview = add(toolButton(bar, "sbPreview", tr("Print Preview"), ToolIcon::PrintPreview),
                    &TFInOut::sbPreviewClick);
    sbPrint = add(toolButton(bar, "sbPrint", tr("Print"), ToolIcon::Print), &TFInOut::sbPrintClick);
    gap();
    rbFull = new QRadioButton(tr("Print Full Listing"), bar);
    rbFull->setObjectName(QStringLiteral("rbFull"));
    rbFull->setChecked(true);
    rbGroup = new QRadioButton(tr("Print Group Listing"), bar);
    rbGroup->setObjectName(QStringLiteral("rbGroup"));
    auto *radios = new QVBoxLayout;
    radios->setSpacing(0);
    radios->addWidget(rbFull);
    radios->addWidget(rbGroup);
    QFont small = rbFull->font();
    small.setPointSizeF(small.pointSizeF() * 0.85);
    rbFull->setFont(small);
    rbGroup->setFont(small);
    row->addLayout(radios);
    row->addStretch();
}

// ---- modes and state ----

void TFInOut::setBrowseMode(bool browse)
{
    m_browse = browse;
    for (QToolButton *b : {navcFirst, navcPrior, navcNext, navcLast, bbcAdd, bbcEdit, bbcCopy,
                           bbcDelete, bClearAll, sbFilter, tbbClearFilter})
        b->setEnabled(browse);
    tbbLogTask->setEnabled(true);
    bbcPost->setEnabled(!browse);
    bbcCancel->setEnabled(!browse);
    // Export and printing need the parts that do them; until they are plugged in, they stay off.
    bbcExport->setEnabled(browse && bool(exportView));
    sbPrnSetup->setEnabled(browse && bool(printerSetup));
    sbPreview->setEnabled(browse && bool(previewReport));
    sbPrint->setEnabled(browse && bool(printReport));
    rbFull->setEnabled(browse);
    rbGroup->setEnabled(browse);
}

void TFInOut::NavEnable()
{
    setBrowseMode(true);
}

void TFInOut::NavDisable()
{
    setBrowseMode(false);
}

QString TFInOut::stateWord(StoreTable::State state)
{
    return TableStateLabel::stateText(state);
}

void TFInOut::showState()
{
    StatusBar1->setText(stateWord(m_dm.TBInout->state()));
}

void TFInOut::showSettings()
{
    DBText1->setText(m_dm.TBDefBillingIncr->isNull() ? QString()
                                                     : m_dm.TBDefBillingIncr->asString());
    DBText2->setText(m_dm.TBDefMinBillTime->isNull() ? QString()
                                                     : m_dm.TBDefMinBillTime->asString());
}

// ---- operations ----

void TFInOut::CalcHours()
{
    kv::CalcHours(*m_dm.TBInout, m_dm.billingIncr(), m_dm.minBillTime());
}

void TFInOut::TotalHours()
{
    runAction([&] {
        showSettings();
        if (!m_dm.TBDefShowTotal->asBoolean()) {
            pTotalHours->hide();
            return;
        }
        // The store sums the current view without moving the cursor, so the grid need not be
        // stopped from following it and no bookmark has to be taken.
        const double sum = m_dm.TBInout->sumOfField(QStringLiteral("Hours"));
        lHours->setText(TotalHoursText(sum));
        pTotalHours->show();
    });
}

void TFInOut::ShowLogTask()
{
    runAction([&] {
        if (!m_logTask)
            return;
        GRInout->commitEditor();
        const bool pending = isEditing(*m_dm.TBInout);
        m_logTask->tbbPost->setEnabled(pending);
        m_logTask->tbbCancel->setEnabled(pending);
        m_logTask->exec();
    });
}

// ---- window events ----

void TFInOut::FormShow()
{
    runAction([&] {
        FormatSettings::instance().longTimeFormat = QStringLiteral("h:nn AMPM");
        NavEnable();
        if (isEditing(*m_dm.TBInout))
            NavDisable();
    });
}

void TFInOut::FormActivate()
{
    TotalHours();
}

bool TFInOut::FormClose()
{
    bool close = true;
    runAction([&] {
        StoreTable &t = *m_dm.TBInout;
        GRInout->commitEditor();
        if (!isEditing(t))
            return;
        // What the user typed is not dropped without a word; an untouched record is.
        if (t.isModified() &&
            Services::instance().messages().confirm(tr("Save Changes?"), kHelpContext)) {
            try {
                t.post();
            } catch (const StoreError &e) {
                close = false;
                if (e.code() == StoreError::kKeyViolation)
                    Services::instance().messages().error(kDuplicateText, kDuplicateHelpContext);
                else
                    showStandardError(e.message());
                return;
            }
            NavEnable();
            return;
        }
        t.cancel();
        NavEnable();
    });
    return close;
}

QSize TFInOut::savedSize()
{
    const QSize saved = settings::desktopValue(kSizeKey).toSize();
    return saved.expandedTo(QSize(kClientWidth, kClientHeight));
}

void TFInOut::hideEvent(QHideEvent *event)
{
    QDialog::hideEvent(event);
    settings::setDesktopValue(kSizeKey, size());
}

void TFInOut::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (const QScreen *screen = this->screen())
        move(screen->availableGeometry().center() - rect().center());
    if (!m_widthsFitted) {
        // The grid knows its width once the window is laid out.
        m_widthsFitted = true;
        GRInout->applyDisplayWidths();
    }
    // The keyboard starts in the grid; Tab leads from there to the toolbar.
    GRInout->setFocus();
    FormShow();
}

bool TFInOut::event(QEvent *event)
{
    if (event->type() == QEvent::WindowActivate)
        FormActivate();
    return QDialog::event(event);
}

void TFInOut::closeEvent(QCloseEvent *event)
{
    if (FormClose())
        QDialog::closeEvent(event);
    else
        event->ignore();
}

void TFInOut::reject()
{
    // Esc and the close button end here: the same question as closing.
    if (FormClose())
        QDialog::reject();
}

bool TFInOut::eventFilter(QObject *watched, QEvent *event)
{
    auto *combo = qobject_cast<LookupCombo *>(watched);
    if (!combo && watched->parent())
        combo = qobject_cast<LookupCombo *>(watched->parent());
    if (combo && event->type() == QEvent::MouseButtonDblClick &&
        combo->objectName() == QLatin1String("dblcCust")) {
        // The look-up opens a modal window, and the grid closes and deletes its cell editor as
        // soon as the focus leaves it, while this event is still being delivered to the editor.
        // So the look-up runs from the event loop, once the double click has been handled.
        QMetaObject::invokeMethod(this, &TFInOut::dblcCustDblClick, Qt::QueuedConnection);
        return true;
    }
    if (combo && event->type() == QEvent::MouseButtonPress &&
        combo->objectName() == QLatin1String("dblcJobType"))
        dblcJobTypeClick();
    return QDialog::eventFilter(watched, event);
}

// ---- toolbar ----

void TFInOut::navcFirstClick()
{
    runAction([&] {
        GRInout->commitEditor();
        m_dm.TBInout->first();
    });
}

void TFInOut::navcPriorClick()
{
    runAction([&] {
        GRInout->commitEditor();
        m_dm.TBInout->prior();
    });
}

void TFInOut::navcNextClick()
{
    runAction([&] {
        GRInout->commitEditor();
        m_dm.TBInout->next();
    });
}

void TFInOut::navcLastClick()
{
    runAction([&] {
        GRInout->commitEditor();
        m_dm.TBInout->last();
    });
}

void TFInOut::bbcAddClick()
{
    runAction([&] {
        GRInout->commitEditor();
        m_dm.TBInout->insert();
        NavDisable();
        GRInout->setFocus();
        GRInout->selectField(QStringLiteral("WDate"));
    });
}

void TFInOut::bbcEditClick()
{
    runAction([&] {
        // A record another program holds stays in browse state, and so does the toolbar.
        m_dm.TBInout->edit();
        NavDisable();
        GRInout->setFocus();
    });
}

void TFInOut::bbcCopyClick()
{
    runAction([&] {
        GRInout->commitEditor();
        StoreTable &t = *m_dm.TBInout;
        const QVariant date = m_dm.TBInoutWDate->value();
        const QVariant in = m_dm.TBInoutTimeIn->value();
        const QVariant out = m_dm.TBInoutTimeOut->value();
        const QVariant job = m_dm.TBInoutJobDes->value();
        const QVariant client = m_dm.TBInoutCustName->value();
        const QVariant task = m_dm.TBInoutTaskDes->value();
        t.insert();
        m_dm.TBInoutWDate->setValue(date);
        m_dm.TBInoutTimeIn->setValue(in);
        m_dm.TBInoutTimeOut->setValue(out);
        m_dm.TBInoutJobDes->setValue(job);
        m_dm.TBInoutCustName->setValue(client);
        m_dm.TBInoutTaskDes->setValue(task);
        NavDisable();
        GRInout->setFocus();
    });
}

void TFInOut::bbcDeleteClick()
{
    runAction([&] {
        StoreTable &t = *m_dm.TBInout;
        if (t.isEmpty())
            return;
        if (!Services::instance().messages().warnYesNo(tr("Kestrova: Delete this record?")))
            return;
        GRInout->discardEditor();
        t.deleteRecord();
        TotalHours();
    });
}

void TFInOut::bbcPostClick()
{
    runAction([&] {
        GRInout->commitEditor();
        try {
            m_dm.TBInout->post();
        } catch (const StoreError &e) {
            // The record stays pending and the window in edit mode, to be put right or rejected.
            if (e.code() == StoreError::kKeyViolation)
                Services::instance().messages().error(kDuplicateText, kDuplicateHelpContext);
            else
                showStandardError(e.message());
            NavDisable();
            return;
        }
        NavEnable();
    });
}

void TFInOut::bbcCancelClick()
{
    runAction([&] {
        GRInout->discardEditor();
        m_dm.TBInout->cancel();
        NavEnable();
    });
}

void TFInOut::bbcExportClick()
{
    runAction([&] {
        if (exportView)
            exportView();
    });
}

void TFInOut::bClearAllClick()
{
    runAction([&] {
        StoreTable &t = *m_dm.TBInout;
        if (t.isEmpty())
            return;
        if (!Services::instance().messages().warnYesNo(kDeleteAllText))
            return;
        GRInout->discardEditor();
        try {
            deleteAllInView(t);
        } catch (...) {
            TotalHours(); // the total follows what was deleted before the failure
            throw;
        }
        TotalHours();
    });
}

void TFInOut::tbbLogTaskClick()
{
    ShowLogTask();
}

void TFInOut::sbFilterClick()
{
    runAction([&] {
        fdInOut->execute();
        lFiltered->setVisible(fdInOut->criteriaCount() > 0);
        TotalHours();
    });
}

void TFInOut::tbbClearFilterClick()
{
    runAction([&] {
        if (fdInOut->criteriaCount() == 0)
            return;
        lFiltered->hide();
        fdInOut->clearCriteria();
        TotalHours();
    });
}

void TFInOut::sbPrnSetupClick()
{
    runAction([&] {
        if (printerSetup)
            printerSetup();
    });
}

void TFInOut::sbPreviewClick()
{
    runAction([&] {
        if (previewReport)
            previewReport(rbFull->isChecked());
    });
}

void TFInOut::sbPrintClick()
{
    runAction([&] {
        if (printReport)
            printReport(rbFull->isChecked());
    });
}

// ---- grid ----

void TFInOut::GRInoutRowChanged()
{
    runAction([&] {
        NavEnable();
        if (m_dm.TBInout->state() == StoreTable::State::Insert)
            NavDisable();
    });
}

void TFInOut::GRInoutFieldChanged()
{
    if (isEditing(*m_dm.TBInout))
        NavDisable();
}

void TFInOut::GRInoutTitleButtonClick(Field *field)
{
    runAction([&] {
        if (!field)
            return;
        QString index;
        if (field->fieldName() == QLatin1String("CustName"))
            index = QStringLiteral("Tinout02");
        else if (field->fieldName() == QLatin1String("JobDes"))
            index = QStringLiteral("Tinout03");
        else if (field->fieldName() == QLatin1String("WDate"))
            index = QStringLiteral("Tinout01");
        if (index.isEmpty() || index == m_dm.TBInout->indexName())
            return;
        GRInout->commitEditor();
        m_dm.TBInout->setIndexName(index);
        GRInout->horizontalHeader()->viewport()->update();
    });
}

void TFInOut::GRInoutColEnter(Field *field)
{
    runAction([&] {
        if (!field)
            return;
        Services &s = Services::instance();
        if (field->fieldName() == QLatin1String("CustName")) {
            m_dm.TBCustList->refresh();
            if (m_dm.TBCustList->isEmpty()) {
                s.beeper().beep();
                s.messages().error(kEmptyClientsText, kClientListHelpContext);
            }
        } else if (field->fieldName() == QLatin1String("JobDes")) {
            if (m_dm.TBJobList->isEmpty()) {
                s.beeper().beep();
                s.messages().error(kEmptyJobsText, kJobListHelpContext);
            }
        }
    });
}

void TFInOut::GRInoutDblClick()
{
    runAction([&] {
        const Field *f = GRInout->selectedField();
        if (!f)
            return;
        if (f->fieldName() == QLatin1String("IsNote"))
            mdNotesExecute();
        else if (f->fieldName() == QLatin1String("TaskDes"))
            ShowLogTask();
    });
}

void TFInOut::mdNotesExecute()
{
    runAction([&] {
        GRInout->commitEditor();
        mdNotes->execute();
    });
}

void TFInOut::dblcCustDblClick()
{
    runAction([&] {
        const QString name = m_dm.TBInoutCustName->asString();
        const Field *f = GRInout->selectedField();
        if (!f || f->fieldName() != QLatin1String("CustName"))
            return;
        m_dm.TBCust->setIndexName(QStringLiteral("Custom01"));
        if (m_dm.TBCust->findKey({name})) {
            if (showClientEditor)
                showClientEditor();
        } else {
            Services::instance().messages().error(tr("Client Not Found."));
        }
    });
}

void TFInOut::dblcJobTypeClick()
{
    runAction([&] { m_dm.TBJobCode->refresh(); });
}

// ---- the run's instances ----

void wireTimeLogOutputs(TFInOut &window)
{
    // The export component and the two report forms live as long as the window.
    auto *exporter = new TimeLogExport(window.dm(), &window);
    auto *reports = new TimeLogReports(window.dm());
    QObject::connect(&window, &QObject::destroyed, [exporter, reports] {
        delete exporter;
        delete reports;
    });
    window.exportView = [exporter] { exporter->bbcExportClick(); };
    window.printerSetup = [reports, &window] { reports->reportPrinter().setup(&window); };
    window.previewReport = [reports, &window](bool full) {
        Report &report = reports->prepare(full ? TimeLogLayout::Full : TimeLogLayout::Group);
        reports->reportPrinter().preview(report, &window);
    };
    window.printReport = [reports, &window](bool full) {
        Report &report = reports->prepare(full ? TimeLogLayout::Full : TimeLogLayout::Group);
        reports->reportPrinter().print(report, &window);
    };
    window.NavEnable();
}

void CreateTimeLogWindows()
{
    if (!DMKV)
        return;
    fLogTask = new TfLogTask(DMKV->TBInout);
    FInOut = new TFInOut(*DMKV, fLogTask);
    wireTimeLogOutputs(*FInOut);
}

void ShowTimeLog()
{
    if (FInOut)
        FInOut->exec();
}

} // namespace kv
