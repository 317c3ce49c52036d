// The export choice dialog: format list, view-or-file radio buttons and the format's icon.
#include "EC_Choice.h"

#include "WindowBorder.h"

#include "EC_View.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>

namespace kv {

namespace {
QString exportTr(const char *text)
{
    return QCoreApplication::translate("kv::Export", text);
}
constexpr int kIconSize = 32;
} // namespace

TExportChoiceForm::TExportChoiceForm(QWidget *parent)
    : QDialog(parent, look::windowFlags(look::Border::FixedCloseBox)), m_group(new QGroupBox(this)),
      m_combo(new QComboBox(m_group)), m_view(new QRadioButton(m_group)),
      m_file(new QRadioButton(m_group)), m_image(new QLabel(m_group)), m_ok(new QPushButton(this)),
      m_cancel(new QPushButton(this))
{
    setObjectName(QStringLiteral("ExportChoiceForm"));
    setFixedSize(400, 125);
    m_group->setObjectName(QStringLiteral("GroupBox1"));
    m_group->setGeometry(8, 8, 297, 105);
    m_group->setTitle(exportTr("Please choose an Export Format") + QLatin1Char(' '));
    m_combo->setObjectName(QStringLiteral("ExportTypeComboBox"));
    m_combo->setGeometry(16 - 8, 24 - 8, 265, m_combo->sizeHint().height());
    m_combo->setMaxVisibleItems(10);
    m_view->setObjectName(QStringLiteral("ViewRadioButton"));
    m_view->setGeometry(16 - 8, 56 - 8, 227, 17);
    m_view->setText(exportTr("&View on Screen"));
    m_view->setChecked(true);
    m_file->setObjectName(QStringLiteral("FileRadioButton"));
    m_file->setGeometry(16 - 8, 76 - 8, 227, 17);
    m_file->setText(exportTr("Export to &File"));
    m_image->setObjectName(QStringLiteral("Image1"));
    m_image->setGeometry(247 - 8, 58 - 8, kIconSize, kIconSize);
    m_ok->setObjectName(QStringLiteral("OKBtn"));
    m_ok->setGeometry(316, 15, 75, 25);
    m_ok->setText(exportTr("&Ok"));
    m_ok->setDefault(true);
    m_cancel->setObjectName(QStringLiteral("CancelBtn"));
    m_cancel->setGeometry(316, 45, 75, 25);
    m_cancel->setText(exportTr("&Cancel"));

    connect(m_combo, &QComboBox::currentIndexChanged, this,
            &TExportChoiceForm::ExportTypeComboBoxChange);
    // Checking a button from code counts as the user's choice too.
    connect(m_view, &QRadioButton::toggled, this, &TExportChoiceForm::ViewRadioButtonClick);
    connect(m_ok, &QPushButton::clicked, this, &TExportChoiceForm::OKBtnClick);
    connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);
    m_combo->setFocus();
}

void TExportChoiceForm::setup(TExportType selected, int itemCount, const QStringList &captions)
{
    m_selectedType = selected;
    m_itemCount = itemCount;
    const QSignalBlocker block(m_combo);
    m_combo->clear();
    m_combo->addItems(captions);
}

void TExportChoiceForm::showEvent(QShowEvent *e)
{
    QDialog::showEvent(e);
    FormShow();
}

void TExportChoiceForm::FormShow()
{
    setWindowTitle(m_itemCount > 0 ? exportTr("Export %1 Items").arg(m_itemCount)
                                   : exportTr("Export Items"));
    int index = m_combo->findText(exportTypeCaption(m_selectedType));
    if (index < 0)
        index = 0;
    {
        const QSignalBlocker block(m_combo);
        m_combo->setCurrentIndex(index);
    }
    ExportTypeComboBoxChange();
    m_combo->setFocus();
}

void TExportChoiceForm::ExportTypeComboBoxChange()
{
    const TExportType t = exportTypeFromCaption(m_combo->currentText());
    m_file->setEnabled(t != xClipboard);
    m_view->setEnabled(CanView(t) && m_file->isEnabled());
    if (m_view->isEnabled() || t == xClipboard) {
        m_view->setChecked(true);
        const QIcon icon = FileTypeIcon(t);
        if (icon.isNull())
            m_image->clear();
        else
            m_image->setPixmap(icon.pixmap(kIconSize, kIconSize));
    } else {
        m_file->setChecked(true);
        m_image->clear();
    }
    m_viewChecked = m_view->isChecked();
}

void TExportChoiceForm::ViewRadioButtonClick(bool view)
{
    m_viewChecked = view;
}

void TExportChoiceForm::OKBtnClick()
{
    m_selectedType = exportTypeFromCaption(m_combo->currentText());
    accept();
}

} // namespace kv
