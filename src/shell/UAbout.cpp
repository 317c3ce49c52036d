// The about box.
#include "UAbout.h"

#include "WindowBorder.h"

#include "FormFont.h"
#include "MainIcons.h"
#include "Services.h"
#include "ShadowLabel.h"
#include "VersInfo.h"

#include <QEvent>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QUrl>
#include <algorithm>

namespace kv {

TAboutBox *AboutBox = nullptr;

namespace {

constexpr int kWidth = 288;
constexpr int kHeight = 217;
constexpr int kPanelHeight = 187;
constexpr int kBannerPx = 19;
const QColor kNavy(0, 0, 128);
const QColor kYellow(255, 255, 0);

QFont bannerFont()
{
    QFont f;
    f.setPixelSize(kBannerPx);
    f.setBold(true);
    f.setItalic(true);
    return f;
}

QLabel *label(QWidget *parent, const char *name, const QString &text, int x, int y,
              bool bold = false)
{
    auto *l = new QLabel(text, parent);
    l->setObjectName(QString::fromLatin1(name));
    if (bold) {
        QFont f = l->font();
        f.setBold(true);
        l->setFont(f);
    }
    l->move(x, y);
    l->adjustSize();
    return l;
}

QLabel *link(QWidget *parent, const char *name, const QString &text, int y)
{
    QLabel *l = label(parent, name, text, 0, y);
    QFont f = l->font();
    f.setUnderline(true);
    l->setFont(f);
    QPalette p = l->palette();
    p.setColor(QPalette::WindowText, Qt::blue);
    l->setPalette(p);
    l->setCursor(Qt::PointingHandCursor);
    l->setGeometry(0, y, kWidth, l->sizeHint().height());
    l->setAlignment(Qt::AlignHCenter);
    return l;
}

} // namespace

QString TAboutBox::webAddress()
{
    return QStringLiteral("http://www.orvelane.example/kestrova");
}

QString TAboutBox::emailAddress()
{
    return QStringLiteral("kestrova@orvelane.example");
}

TAboutBox::TAboutBox(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("AboutBox"));
    setWindowTitle(tr("About Kestrova"));
    look::setBorder(this, look::Border::FixedCloseBox);
    setFixedSize(kWidth, kHeight);
    setFont(formFont());

    auto *panel = new QFrame(this);
    panel->setObjectName(QStringLiteral("Panel1"));
    panel->setFrameShape(QFrame::Panel);
    panel->setFrameShadow(QFrame::Raised);
    panel->setGeometry(0, 0, kWidth, kPanelHeight);

    ProgramIcon = label(panel, "ProgramIcon", QString(), 8, 8);
    ProgramIcon->setPixmap(icons::trayIdle().pixmap(32, 32));
    ProgramIcon->setFixedSize(32, 32);

    lBanner1 = new ShadowLabel(tr("Orvelane"), panel);
    lBanner1->setObjectName(QStringLiteral("lBanner1"));
    lBanner1->setFont(bannerFont());
    lBanner1->setTextColor(kNavy);
    const QFontMetrics banner(bannerFont());
    const int width1 = banner.horizontalAdvance(lBanner1->text()) + 10;
    lBanner1->setGeometry(49, 8, width1, 24);
    lBanner2 = new ShadowLabel(tr("Kestrova"), panel);
    lBanner2->setObjectName(QStringLiteral("lBanner2"));
    lBanner2->setFont(bannerFont());
    lBanner2->setTextColor(kYellow);
    lBanner2->setBackgroundColor(kNavy);
    lBanner2->setGeometry(std::max(137, 49 + width1 + 2), 8,
                          banner.horizontalAdvance(lBanner2->text()) + 10, 24);

    ProductName = label(panel, "ProductName", tr("Time Tracking System"), 66, 34, true);
    lVersionCaption = label(panel, "lVersionCaption", tr("Version:"), 96, 50);
    lVersionCaption->move(133 - lVersionCaption->width(), 50); // ends just before the value
    Version = label(panel, "Version", QString(), 137, 50);
    Version->setFixedWidth(120);
    Copyright = label(panel, "Copyright", tr("Copyright \u00A9 Orvelane"), 0, 80);
    Copyright->setGeometry(0, 80, kWidth, Copyright->height());
    Copyright->setAlignment(Qt::AlignHCenter);
    Company = label(panel, "Company", tr("Orvelane Software, All Rights Reserved"), 0, 98);
    Company->setGeometry(0, 98, kWidth, Company->height());
    Company->setAlignment(Qt::AlignHCenter);
    Label1 = link(panel, "Label1", webAddress(), 130);
    Comments = link(panel, "Comments", emailAddress(), 150);
    // Tab reaches the links and Space or Enter opens them, as a click does.
    for (QLabel *l : {Label1, Comments}) {
        l->installEventFilter(this);
        l->setFocusPolicy(Qt::TabFocus);
        l->setAccessibleName(l->text());
    }

    OKButton = new QPushButton(tr("OK"), this);
    OKButton->setObjectName(QStringLiteral("OKButton"));
    OKButton->setDefault(true);
    OKButton->setGeometry((kWidth - 75) / 2, kPanelHeight + 3, 75, 25);
    connect(OKButton, &QPushButton::clicked, this, &QDialog::accept);

    VersionInfo1 = new TVersionInfo(this);
    VersionInfo1->setCtlFileVersion(Version);
}

TAboutBox::~TAboutBox()
{
    if (AboutBox == this)
        AboutBox = nullptr;
}

bool TAboutBox::eventFilter(QObject *watched, QEvent *event)
{
    const bool pressed = event->type() == QEvent::KeyPress &&
                         (static_cast<QKeyEvent *>(event)->key() == Qt::Key_Space ||
                          static_cast<QKeyEvent *>(event)->key() == Qt::Key_Return ||
                          static_cast<QKeyEvent *>(event)->key() == Qt::Key_Enter);
    if (pressed || (event->type() == QEvent::MouseButtonRelease &&
                    static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton)) {
        if (watched == Label1)
            Label1Click();
        else if (watched == Comments)
            CommentsClick();
    }
    return QDialog::eventFilter(watched, event);
}

void TAboutBox::Label1Click()
{
    runAction([&] {
        const QUrl address(webAddress());
        openOrTell(address, cannotOpenText(address));
    });
}

void TAboutBox::CommentsClick()
{
    runAction([&] {
        const QUrl address(QStringLiteral("mailto:") + emailAddress());
        openOrTell(address, cannotOpenText(address));
    });
}

} // namespace kv
