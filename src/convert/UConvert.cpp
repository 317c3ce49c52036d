// The conversion window.
#include "UConvert.h"

#include "FormFont.h"
#include "KVDM.h"
#include "LegacyConversion.h"
#include "Services.h"

#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTimer>

namespace kv {

namespace {

constexpr int kWidth = 338;
constexpr int kHeight = 120;
constexpr int kMargin = 8;
constexpr int kButtonWidth = 75;
constexpr int kButtonHeight = 25;
constexpr int kCompletePointSize = 10;

} // namespace

TfConvert::TfConvert(TDMKV &dm, LegacyEngine engine, QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint | Qt::CustomizeWindowHint),
      m_dm(dm), m_engine(std::move(engine))
{
    setObjectName(QStringLiteral("fConvert"));
    setWindowTitle(tr("Converting Previous Kestrova Version Data"));
    setFixedSize(kWidth, kHeight);
    setFont(formFont());
    setCursor(Qt::WaitCursor);

    const int inner = kWidth - 2 * kMargin;
    Label1 = new QLabel(tr("Searching for Kestrova Data Files..."), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setFont(formFont(true));
    Label1->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    Label1->setWordWrap(true);
    Label1->setGeometry(kMargin, kMargin, inner, 44);

    Label2 = new QLabel(tr("Conversion Complete"), this);
    Label2->setObjectName(QStringLiteral("Label2"));
    QFont big = formFont(true);
    big.setPointSize(kCompletePointSize);
    Label2->setFont(big);
    Label2->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    Label2->setGeometry(kMargin, kMargin, inner, 22);
    Label2->hide();

    Label3 = new QLabel(tr("You may now safely remove the previous version of Kestrova."), this);
    Label3->setObjectName(QStringLiteral("Label3"));
    Label3->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    Label3->setWordWrap(true);
    Label3->setGeometry(kMargin, 36, inner, 32);
    Label3->hide();

    BitBtn1 = new QPushButton(tr("OK"), this);
    BitBtn1->setObjectName(QStringLiteral("BitBtn1"));
    BitBtn1->setGeometry((kWidth - kButtonWidth) / 2, kHeight - kButtonHeight - kMargin,
                         kButtonWidth, kButtonHeight);
    BitBtn1->setDefault(true);
    connect(BitBtn1, &QPushButton::clicked, this, &TfConvert::BitBtn1Click);

    if (const QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

TfConvert::~TfConvert() = default;

bool TfConvert::run()
{
    TfConvert window(*DMKV, LegacyEngine::fromSettings());
    window.exec();
    return window.outcome() != Outcome::Failed;
}

void TfConvert::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (m_shown)
        return;
    m_shown = true;
    // The question comes once the window is on the screen.
    QTimer::singleShot(0, this, &TfConvert::FormShow);
}

void TfConvert::FormShow()
{
    m_source = m_engine.findAlias(kAlias);
    if (!m_source) {
        m_outcome = Outcome::NoAlias;
        reject();
        return;
    }
    const bool yes = Services::instance().messages().confirm(
        tr("An older version of the Orvelane-Kestrova Database been detected.\r\n"
           "Do you want to move any existing data to the current version of Kestrova?"));
    if (!yes) {
        Label1->setText(tr("Kestrova v1.1 Data NOT Converted."));
        m_outcome = Outcome::Declined;
        reject();
        return;
    }
    ConvertData();
}

void TfConvert::ConvertData()
{
    LegacyConversion conversion(m_dm, *m_source);
    conversion.progress = [this](const QString &text) {
        Label1->setText(text);
        // Let the window show the step; nothing the user does is taken meanwhile.
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    };
    try {
        if (!conversion.run()) {
            m_outcome = Outcome::NoTables;
            return;
        }
    } catch (const std::exception &e) {
        // What was converted stays; the offer stays for the next start.
        const QString message = QString::fromUtf8(e.what());
        Label1->setText(message);
        m_outcome = Outcome::Failed;
        showStandardError(message);
        return;
    }
    Label1->hide();
    Label2->show();
    Label3->show();
    BitBtn1->show();
    m_outcome = Outcome::Converted;
}

void TfConvert::BitBtn1Click()
{
    accept();
}

} // namespace kv
