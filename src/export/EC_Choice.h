// TExportChoiceForm: the dialog in which the user picks a format and chooses between viewing the
// result on screen and exporting it to a file.
#pragma once

#include "EC_Types.h"

#include <QDialog>

class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QRadioButton;

namespace kv {

class TExportChoiceForm : public QDialog
{
public:
    explicit TExportChoiceForm(QWidget *parent = nullptr);

    /// The preselected format, the number of items (0 or less: unknown) and the captions of the
    /// allowed formats in the order of the type table.
    void setup(TExportType selected, int itemCount, const QStringList &captions);

    TExportType SelectedType() const { return m_selectedType; }
    bool ViewChecked() const { return m_viewChecked; }

    QComboBox *ExportTypeComboBox() const { return m_combo; }
    QRadioButton *ViewRadioButton() const { return m_view; }
    QRadioButton *FileRadioButton() const { return m_file; }
    QLabel *Image1() const { return m_image; }

protected:
    void showEvent(QShowEvent *e) override;

private:
    void FormShow();
    void ExportTypeComboBoxChange();
    void ViewRadioButtonClick(bool view);
    void OKBtnClick();

    QGroupBox *m_group;
    QComboBox *m_combo;
    QRadioButton *m_view;
    QRadioButton *m_file;
    QLabel *m_image;
    QPushButton *m_ok;
    QPushButton *m_cancel;
    TExportType m_selectedType = xMicrosoft_Excel;
    int m_itemCount = 0;
    bool m_viewChecked = true;
};

} // namespace kv
