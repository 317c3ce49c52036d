// The configuration dialog: bound controls, the lookups with their empty-list messages, and Ok
// re-applying the configuration to the main window.
#include "USelDef.h"

#include "WindowBorder.h"

#include "BorderFrame.h"
#include "DBCheckBox.h"
#include "DBEdit.h"
#include "DBSpinEdit.h"
#include "FieldLink.h"
#include "FormFont.h"
#include "HelpContext.h"
#include "KVDM.h"
#include "LookupCombo.h"
#include "Main.h"
#include "Services.h"
#include "StoreError.h"
#include "UCust.h"
#include "UJob.h"

#include <QBoxLayout>
#include <QEvent>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <algorithm>

namespace kv {

TFSelDef *FSelDef = nullptr;

namespace {

constexpr int kWidth = 289;
constexpr int kHeight = 449;
constexpr int kBillingIncrMax = 59;
constexpr int kMinBillTimeMax = 1440;

template <class W> W *named(W *w, const char *name)
{
    w->setObjectName(QString::fromLatin1(name));
    return w;
}

QGroupBox *group(QWidget *parent, const char *name, const QString &title)
{
    auto *g = named(new QGroupBox(title, parent), name);
    g->setFont(formFont(true)); // the caption; the controls inside get the normal face back
    return g;
}

} // namespace

TFSelDef::TFSelDef(QWidget *parent)
    : QDialog(parent, look::windowFlags(look::Border::FixedCloseBox))
{
    setObjectName(QStringLiteral("FSelDef"));
    setWindowTitle(tr("Kestrova Configuration"));
    setFixedSize(kWidth, kHeight);
    installHelpContext(this, kHelpContext);
    setFont(formFont());
    DataSource *ds = DMKV->DSDef;

    auto check = [&](QWidget *parentBox, const char *name, const QString &caption,
                     const char *field) {
        auto *c = named(new DBCheckBox(caption, parentBox), name);
        c->setDataSource(ds, QString::fromLatin1(field));
        return c;
    };

    auto *root = new QVBoxLayout(this);
    root->setContentsMargins(6, 2, 6, 6);
    root->setSpacing(2);

    // Kestrova Defaults
    gbDefaults = group(this, "gbDefaults", tr("Kestrova Defaults"));
    auto *defaults = new QVBoxLayout(gbDefaults);
    defaults->setContentsMargins(6, 2, 6, 4);
    defaults->setSpacing(1);
    auto *lookups = new QFormLayout;
    lookups->setContentsMargins(0, 0, 0, 0);
    lookups->setVerticalSpacing(2);
    dblcClient = named(new LookupCombo(gbDefaults), "dblcClient");
    dblcClient->setListSource(DMKV->TBCustList, QStringLiteral("CustName"));
    dblcJobCode = named(new LookupCombo(gbDefaults), "dblcJobCode");
    dblcJobCode->setListSource(DMKV->TBJobList, QStringLiteral("JobDes"));
    for (LookupCombo *c : {dblcClient, dblcJobCode})
        c->setFixedHeight(20);
    lookups->addRow(tr("Client:"), dblcClient);
    lookups->addRow(tr("Job Type:"), dblcJobCode);
    dblcClient->setAccessibleName(tr("Client:"));
    dblcJobCode->setAccessibleName(tr("Job Type:"));
    defaults->addLayout(lookups);
    RzDBCheckBox4 =
        check(gbDefaults, "RzDBCheckBox4", tr("Auto Log Time on Client Change ?"), "AutoLogClient");
    RzDBCheckBox5 =
        check(gbDefaults, "RzDBCheckBox5", tr("Auto Log Time on Job Type Change?"), "AutoLogJob");
    dbcbTaskDes = check(gbDefaults, "dbcbTaskDes",
                        tr("Prompt for Task Description on Out button click?"), "GetTask");
    RzDBCheckBox2 =
        check(gbDefaults, "RzDBCheckBox2", tr("Run Kestrova as a System Tray Icon?"), "Tray");
    RzDBCheckBox3 = check(gbDefaults, "RzDBCheckBox3",
                          tr("Show Total Hours on Kestrova log header?"), "ShowTotal");
    for (QWidget *w : {static_cast<QWidget *>(RzDBCheckBox4), static_cast<QWidget *>(RzDBCheckBox5),
                       static_cast<QWidget *>(dbcbTaskDes), static_cast<QWidget *>(RzDBCheckBox2),
                       static_cast<QWidget *>(RzDBCheckBox3)})
        defaults->addWidget(w);
    root->addWidget(gbDefaults);

    // Startup Defaults
    gbStartup = group(this, "gbStartup", tr("Startup Defaults"));
    auto *startup = new QVBoxLayout(gbStartup);
    startup->setContentsMargins(6, 2, 6, 4);
    startup->setSpacing(1);
    dbcTray =
        check(gbStartup, "dbcTray", tr("Start logging time on Kestrova startup?"), "InOnStartup");
    RzDBCheckBox6 = check(gbStartup, "RzDBCheckBox6", tr("Prompt to convert old Kestrova data?"),
                          "DataConverted");
    RzDBCheckBox7 =
        check(gbStartup, "RzDBCheckBox7", tr("Show QuickStart Help window?"), "TutorialShow");
    startup->addWidget(dbcTray);
    startup->addWidget(RzDBCheckBox6);
    startup->addWidget(RzDBCheckBox7);
    root->addWidget(gbStartup);

    // File Maintenance
    gbFiles = group(this, "gbFiles", tr("File Maintenance"));
    auto *files = new QGridLayout(gbFiles);
    files->setContentsMargins(6, 2, 6, 4);
    files->setHorizontalSpacing(6);
    files->setVerticalSpacing(2);
    wwDBSpinEdit1 = named(new DBSpinEdit(gbFiles), "wwDBSpinEdit1");
    wwDBSpinEdit1->setRange(1, kBillingIncrMax);
    wwDBSpinEdit1->setMaxLength(2);
    wwDBSpinEdit1->setDataSource(ds, QStringLiteral("BillingIncr"));
    wwDBSpinEdit2 = named(new DBSpinEdit(gbFiles), "wwDBSpinEdit2");
    wwDBSpinEdit2->setRange(1, kMinBillTimeMax);
    wwDBSpinEdit2->setMaxLength(4);
    wwDBSpinEdit2->setDataSource(ds, QStringLiteral("MinBillTime"));
    for (DBSpinEdit *s : {wwDBSpinEdit1, wwDBSpinEdit2})
        s->setFixedWidth(52);
    auto *l1 = new QLabel(tr("Minimum billable increment in minutes."), gbFiles);
    auto *l2 = new QLabel(tr("Minimum initial billing increment in minutes."), gbFiles);
    l1->setWordWrap(true);
    l2->setWordWrap(true);
    // The number boxes are named by their labels, not by the group around them.
    l1->setBuddy(wwDBSpinEdit1);
    l2->setBuddy(wwDBSpinEdit2);
    wwDBSpinEdit1->setAccessibleName(l1->text());
    wwDBSpinEdit2->setAccessibleName(l2->text());
    files->addWidget(wwDBSpinEdit1, 0, 0);
    files->addWidget(l1, 0, 1);
    files->addWidget(wwDBSpinEdit2, 1, 0);
    files->addWidget(l2, 1, 1);
    Button1 = named(new QPushButton(tr("Client Listing"), gbFiles), "Button1");
    Button2 = named(new QPushButton(tr("Job Type Listing"), gbFiles), "Button2");
    auto *listRow = new QHBoxLayout;
    listRow->addWidget(Button1);
    listRow->addWidget(Button2);
    files->addLayout(listRow, 2, 0, 1, 2);
    files->setColumnStretch(1, 1);
    root->addWidget(gbFiles);

    // Print Configuration
    gbPrint = group(this, "gbPrint", tr("Print Configuration"));
    auto *print = new QVBoxLayout(gbPrint);
    print->setContentsMargins(6, 2, 6, 4);
    print->setSpacing(1);
    RzDBCheckBox1 =
        check(gbPrint, "RzDBCheckBox1", tr("Print total hours on group print?"), "GroupTotal");
    print->addWidget(RzDBCheckBox1);
    auto *titleLabel = new QLabel(tr("Custom Report Title:"), gbPrint);
    print->addWidget(titleLabel);
    RzDBEdit1 = named(new DBEdit(gbPrint), "RzDBEdit1");
    titleLabel->setBuddy(RzDBEdit1);
    RzDBEdit1->setAccessibleName(titleLabel->text());
    RzDBEdit1->setDataSource(ds, QStringLiteral("ReportTitle"));
    print->addWidget(RzDBEdit1);
    root->addWidget(gbPrint);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    BBDefOk = named(new QPushButton(tr("Ok"), this), "BBDefOk");
    BBDefCan = named(new QPushButton(tr("Cancel"), this), "BBDefCan");
    BBDefOk->setDefault(true);
    BBDefCan->setAutoDefault(false);
    buttons->addWidget(BBDefOk);
    buttons->addWidget(BBDefCan);
    root->addLayout(buttons);

    for (QGroupBox *g : {gbDefaults, gbStartup, gbFiles, gbPrint})
        for (QWidget *w : g->findChildren<QWidget *>(Qt::FindDirectChildrenOnly))
            w->setFont(formFont());

    // The layout was drawn for 289 by 449; a larger face may need a few more lines of height.
    setFixedSize(kWidth, std::max(kHeight, minimumSizeHint().height()));

    bindLookup(dblcClient, QStringLiteral("CustName"));
    bindLookup(dblcJobCode, QStringLiteral("JobDes"));
    // The selectors report an entry by the user from the event loop, after the focus settled.
    connect(dblcClient, &LookupCombo::entered, this, &TFSelDef::dblcClientEnter,
            Qt::QueuedConnection);
    connect(dblcJobCode, &LookupCombo::entered, this, &TFSelDef::dblcJobCodeEnter,
            Qt::QueuedConnection);
    connect(Button1, &QPushButton::clicked, this, &TFSelDef::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &TFSelDef::Button2Click);
    connect(BBDefOk, &QPushButton::clicked, this, &TFSelDef::BBDefOkClick);
    connect(BBDefCan, &QPushButton::clicked, this, &TFSelDef::BBDefCanClick);
}

TFSelDef::~TFSelDef()
{
    if (FSelDef == this)
        FSelDef = nullptr;
}

QString TFSelDef::emptyClientText()
{
    return tr(
        "The Client Listing file is empty.\r\nClick the Client Listing button below to set up "
        "Clients\r\nto populate this list.");
}

QString TFSelDef::emptyJobText()
{
    return tr(
        "The Job Type Listing file is empty.\r\nClick the Job Type Listing button below to set "
        "up Job Types\r\nto populate this list.");
}

void TFSelDef::bindLookup(LookupCombo *combo, const QString &fieldName)
{
    Field *field = &DMKV->TBDef->fieldByName(fieldName);
    auto *link = new FieldLink(combo, [combo, field] { combo->setText(field->asString()); });
    link->setDataSource(DMKV->DSDef, fieldName);
    auto write = [link](const QString &text) {
        runAction([&] {
            if (!link->beginChange())
                return;
            link->write([&](Field &f) {
                if (text.trimmed().isEmpty())
                    f.clear();
                else
                    f.setAsString(text);
            });
        });
    };
    connect(combo->lineEdit(), &QLineEdit::textEdited, combo, write);
    connect(combo, &QComboBox::activated, combo, [combo, write] { write(combo->currentText()); });
}

void TFSelDef::showEvent(QShowEvent *event)
{
    m_closing = false;
    FormShow();
    QDialog::showEvent(event);
}

bool TFSelDef::event(QEvent *event)
{
    const bool handled = QDialog::event(event);
    if (event->type() == QEvent::WindowActivate && isVisible() && !m_closing)
        FormActivate();
    return handled;
}

void TFSelDef::FormShow()
{
    runAction([&] {
        StoreTable &def = *DMKV->TBDef;
        if (def.state() == StoreTable::State::Browse && !def.isEmpty())
            def.first(); // the one configuration record
        TrayWasOn = DMKV->TBDefTray->asBoolean();
    });
}

void TFSelDef::FormActivate()
{
    bool refused = false;
    runAction([&] {
        StoreTable &def = *DMKV->TBDef;
        if (def.state() != StoreTable::State::Browse)
            return;
        try {
            def.edit();
        } catch (const StoreError &) {
            // Another program holds the record. Each activation would wait for the lock and
            // show the box again, and the box closing activates the dialog: say it once and
            // close the dialog instead, so the user is never trapped in it.
            refused = true;
            m_closing = true;
            throw;
        }
    });
    if (refused)
        QMetaObject::invokeMethod(this, &TFSelDef::reject, Qt::QueuedConnection);
}

void TFSelDef::dblcClientEnter()
{
    runAction([&] {
        DMKV->TBCustList->refresh();
        dblcClient->reload();
        if (DMKV->TBCustList->isEmpty()) {
            Services::instance().beeper().beep();
            Services::instance().messages().information(emptyClientText());
        }
    });
}

void TFSelDef::dblcJobCodeEnter()
{
    runAction([&] {
        DMKV->TBJobList->refresh();
        dblcJobCode->reload();
        if (DMKV->TBJobList->isEmpty()) {
            Services::instance().beeper().beep();
            Services::instance().messages().information(emptyJobText());
        }
    });
}

void TFSelDef::Button1Click()
{
    runAction([&] {
        if (FCust)
            FCust->exec();
    });
}

void TFSelDef::Button2Click()
{
    runAction([&] {
        if (FJobType)
            FJobType->exec();
    });
}

void TFSelDef::applyAutoLogIndicators()
{
    const bool autoClient = DMKV->TBDefAutoLogClient->asBoolean();
    const bool autoJob = DMKV->TBDefAutoLogJob->asBoolean();
    FMain->RzBorder1->setVisible(autoClient);
    FMain->RzBorder2->setVisible(autoJob);
    FMain->bAutoLog->setVisible(autoClient && autoJob);
    // The yellow frame marks a pending "Log"; without both options there is none to mark.
    if (!(autoClient && autoJob))
        FMain->clock().setLogPending(false);
}

void TFSelDef::BBDefOkClick()
{
    runAction([&] {
        // A number box left by Enter instead of Tab is settled here.
        wwDBSpinEdit1->settle();
        wwDBSpinEdit2->settle();
        StoreTable &def = *DMKV->TBDef;
        if (def.isModified()) {
            def.post();
            if (FMain) {
                FMain->DBCCust->setText(DMKV->TBDefCustName->asString());
                FMain->dblcJobDes->setText(DMKV->TBDefJobDes->asString());
                const bool tray = DMKV->TBDefTray->asBoolean();
                if (!tray)
                    FMain->switchTrayMode(false);
                else if (!TrayWasOn)
                    FMain->switchTrayMode(true);
            }
        }
        if (FMain)
            applyAutoLogIndicators();
    });
    // Ok ends the dialog even when the handler failed.
    accept();
}

void TFSelDef::BBDefCanClick()
{
    runAction([&] {
        StoreTable &def = *DMKV->TBDef;
        if (def.state() == StoreTable::State::Edit || def.state() == StoreTable::State::Insert)
            def.cancel();
    });
    reject();
}

void TFSelDef::FormClose()
{
    runAction([&] {
        StoreTable &def = *DMKV->TBDef;
        if (def.state() == StoreTable::State::Edit)
            def.cancel();
        def.refresh();
    });
}

void TFSelDef::done(int result)
{
    m_closing = true;
    FormClose();
    QDialog::done(result);
}

} // namespace kv
