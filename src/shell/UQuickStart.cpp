// The quick-start window.
#include "UQuickStart.h"

#include "WindowBorder.h"

#include "FormFont.h"
#include "HelpContext.h"
#include "KVDM.h"
#include "Main.h"
#include "Services.h"

#include <QCheckBox>
#include <QFrame>
#include <QGraphicsDropShadowEffect>
#include <QLabel>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <algorithm>

namespace kv {

namespace {

constexpr int kWidth = 434;
constexpr int kHeight = 307;
constexpr int kTitlePx = 27;
const QColor kTipYellow(255, 255, 225);

QPixmap logo()
{
    QPixmap pm(190, 24);
    pm.fill(QColor(0, 0, 128));
    QPainter p(&pm);
    p.setRenderHint(QPainter::TextAntialiasing);
    QFont f;
    f.setPixelSize(17);
    f.setBold(true);
    f.setItalic(true);
    p.setFont(f);
    p.setPen(Qt::white);
    p.drawText(QRect(6, 0, 90, 24), Qt::AlignVCenter | Qt::AlignLeft, QStringLiteral("Orvelane"));
    p.setPen(QColor(255, 255, 0));
    p.drawText(QRect(96, 0, 92, 24), Qt::AlignVCenter | Qt::AlignLeft, QStringLiteral("Kestrova"));
    return pm;
}

QFont titleFont(bool italic, bool underline)
{
    QFont f(QStringLiteral("Arial"));
    f.setPixelSize(kTitlePx);
    f.setItalic(italic);
    f.setUnderline(underline);
    return f;
}

} // namespace

QStringList TfQuickStart::memoLines()
{
    return {
        tr("When you first install Kestrova, all the databases are empty and the configuration "
           "is "),
        tr("setup with default values."),
        QString(),
        tr("The first thing you should do when you run Kestrova for the first time is go to the"),
        tr("Kestrova Configuration and add data to the Client and Job Type listings. "),
        QString(),
        tr("You can get there by clicking the Menu button on the main form and selecting "),
        tr("Kestrova Configuration."),
        QString(),
        tr("Click the Client Listings button to add Clients and the Job Type Listings button to "
           "add"),
        tr("job types.  These files drive the drop-down list boxes for the default startup values "
           "and"),
        tr("the Time Log field edits for these fields."),
        QString(),
        tr("After setting up the Client and Job Type lists, you can change any of the other "
           "settings"),
        tr("to suit you then Click OK and you're ready to go."),
        QString(),
        tr("You can go to the Kestrova Configuration now by clicking the button below."),
    };
}

TfQuickStart::TfQuickStart(QWidget *parent) : QDialog(parent, look::windowFlags(look::Border::Tool))
{
    setObjectName(QStringLiteral("fQuickStart"));
    setWindowTitle(tr("Kestrova QuickStart Help"));
    setFixedSize(kWidth, kHeight);
    setFont(formFont());
    installHelpContext(this, kHelpContext);

    auto *panel = new QFrame(this);
    panel->setObjectName(QStringLiteral("Panel1"));
    panel->setFrameShape(QFrame::Panel);
    panel->setFrameShadow(QFrame::Sunken);
    panel->setLineWidth(2);
    panel->setAutoFillBackground(true);
    QPalette tip = panel->palette();
    tip.setColor(QPalette::Window, kTipYellow);
    tip.setColor(QPalette::Base, kTipYellow);
    panel->setPalette(tip);
    panel->setGeometry(0, 0, kWidth, kHeight);

    auto *logoLabel = new QLabel(panel);
    logoLabel->setObjectName(QStringLiteral("Image1"));
    logoLabel->setPixmap(logo());
    logoLabel->setGeometry(10, 11, 190, 24);

    auto *quick = new QLabel(tr("QuickStart"), panel);
    quick->setObjectName(QStringLiteral("Label1"));
    quick->setFont(titleFont(true, false));
    QPalette green = quick->palette();
    green.setColor(QPalette::WindowText, QColor(0, 128, 0));
    quick->setPalette(green);
    auto *shadow = new QGraphicsDropShadowEffect(quick);
    shadow->setBlurRadius(0);
    shadow->setOffset(2, 2);
    shadow->setColor(Qt::gray);
    quick->setGraphicsEffect(shadow);
    quick->move(219, 7);
    quick->adjustSize();

    auto *help = new QLabel(tr("Help"), panel);
    help->setObjectName(QStringLiteral("Label2"));
    help->setFont(titleFont(false, true));
    QPalette purple = help->palette();
    purple.setColor(QPalette::WindowText, QColor(128, 0, 128));
    help->setPalette(purple);
    help->move(360, 5);
    help->adjustSize();

    Memo1 = new QPlainTextEdit(panel);
    Memo1->setObjectName(QStringLiteral("Memo1"));
    Memo1->setReadOnly(true);
    Memo1->setPlainText(memoLines().join(QLatin1Char('\n')));
    Memo1->setFrameShape(QFrame::HLine);
    Memo1->setFrameShadow(QFrame::Sunken);
    Memo1->setPalette(tip);
    // The lines break where the text breaks them, and a line longer than the memo is wide wraps
    // at a word: no line is cut, and no scroll bar runs sideways.
    Memo1->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    Memo1->setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    Memo1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    Memo1->setAccessibleName(tr("Kestrova QuickStart Help"));
    Memo1->setGeometry(10, 45, 415, 227);

    Button1 = new QPushButton(tr("Go to Configuration"), panel);
    Button1->setObjectName(QStringLiteral("Button1"));
    // Its right edge stays where it is drawn; a wider face widens it to the left.
    const int buttonWidth = std::max(104, Button1->sizeHint().width());
    Button1->setGeometry(417 - buttonWidth, 277, buttonWidth, 25);

    cbTutorialShow = new QCheckBox(tr("Show Quick Start Screen on Start Up."), panel);
    cbTutorialShow->setObjectName(QStringLiteral("cbTutorialShow"));
    cbTutorialShow->setFont(formFont(true));
    cbTutorialShow->move(10, 280);
    cbTutorialShow->adjustSize();

    showConfiguration = [] {
        if (FMain && FMain->showConfiguration)
            FMain->showConfiguration();
    };
    connect(Button1, &QPushButton::clicked, this, &TfQuickStart::Button1Click);
    connect(cbTutorialShow, &QCheckBox::clicked, this, &TfQuickStart::cbTutorialShowClick);
}

TfQuickStart::~TfQuickStart() = default;

void TfQuickStart::run(bool tutorialShow)
{
    TfQuickStart window;
    window.cbTutorialShow->setChecked(tutorialShow);
    window.exec();
}

void TfQuickStart::Button1Click()
{
    runAction([&] {
        if (showConfiguration)
            showConfiguration();
    });
}

void TfQuickStart::cbTutorialShowClick()
{
    runAction([&] {
        StoreTable &def = *DMKV->TBDef;
        if (def.state() == StoreTable::State::Browse && !def.isEmpty())
            def.first(); // the one configuration record
        def.edit();
        DMKV->TBDefTutorialShow->setAsBoolean(cbTutorialShow->isChecked());
        def.post();
    });
}

} // namespace kv
