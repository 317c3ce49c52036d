// TFMain: the main window.
#include "Main.h"

#include "AppInfo.h"
#include "Services.h"
#include "Settings.h"

#include <QCloseEvent>
#include <QLabel>
#include <QVBoxLayout>

namespace kv {

TFMain *FMain = nullptr;

TFMain::TFMain(QWidget *parent) : QWidget(parent), m_status(new QLabel(this))
{
    setObjectName(QStringLiteral("FMain"));
    setWindowTitle(app::title());
    m_status->setObjectName(QStringLiteral("lStatus"));
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_status);
    EnableIn();
}

QString TFMain::RegDataPath()
{
    return settings::regDataPath();
}

void TFMain::EnableIn()
{
    IsClockedIn = false;
    m_status->setText(tr("Click In to start"));
}

void TFMain::applyConfiguration() {}

void TFMain::InOnStart() {}

bool TFMain::closeQuery()
{
    if (IsClockedIn) {
        Services::instance().messages().confirm(
            tr("Kestrova: You have an Open Time set.\r\nDo you want to post the current time as OUT?"));
    }
    return true;
}

void TFMain::closeEvent(QCloseEvent *event)
{
    runAction([&] { closeQuery(); });
    event->accept();
}

} // namespace kv
