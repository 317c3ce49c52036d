// FilterDialog: the filter dialog of the widget set. Over a table and a list of offered fields,
// the user sets at most one criterion per field (match kind, value or range, case, negation);
// on OK the criteria replace the dialog's list and become the table's record filter, on Cancel
// nothing changes. The list lives as long as the dialog.
#pragma once

#include "FilterCriteria.h"

#include <QDialog>

class QCheckBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;

namespace kv {

class FilterDialog : public QDialog
{
    Q_OBJECT
public:
    explicit FilterDialog(QWidget *parent = nullptr);

    /// The table filtered and the fields offered, in the order given (their labels are shown).
    void setTable(StoreTable *table, const QStringList &fieldNames);
    StoreTable *table() const { return m_criteria.table(); }
    QStringList offeredFields() const { return m_fields; }

    /// Runs the dialog modally. True when the user confirmed: the criteria were replaced and
    /// applied to the table.
    bool execute();
    /// Number of criteria held.
    int criteriaCount() const { return m_criteria.count(); }
    const FilterCriteria &criteria() const { return m_criteria; }
    /// Replaces and applies the criteria without the dialog. Throws CriteriaError.
    void setCriteria(const QList<Criterion> &criteria);
    /// Drops every criterion and switches the table's filter off.
    void clearCriteria();

    // ---- controls ----
    QListWidget *lbFields;
    QRadioButton *rbStart, *rbAnywhere, *rbWhole, *rbEnd, *rbRange;
    QLineEdit *eValue, *eFrom, *eTo;
    QCheckBox *cbCase, *cbNot;
    QLabel *lSummary, *lHint;
    QPushButton *bClearField, *bClearAll, *bOK, *bCancel;

protected:
    void done(int result) override;

private:
    void showField(int row);
    void storeField();
    void updateEnabled();
    void updateSummary();
    Criterion &working(const QString &fieldName);
    static QString describe(const Criterion &c);

    FilterCriteria m_criteria;
    QStringList m_fields;
    QList<Criterion> m_working;
    int m_shownRow = -1;
    bool m_loading = false;
};

} // namespace kv
