// TfConvert: the conversion window. Start-up shows it once when the configuration asks for the
// conversion and the version-1.1 engine is registered: it finds the alias Orvelane, asks
// whether to move the data, runs the conversion and shows its outcome until OK. Created when
// shown and destroyed after.
#pragma once

#include "LegacyEngine.h"

#include <QDialog>

class QLabel;
class QPushButton;

namespace kv {

class TDMKV;

class TfConvert : public QDialog
{
    Q_OBJECT
public:
    static inline const QString kAlias = QStringLiteral("Orvelane");

    /// The window's states after it was shown.
    enum class Outcome {
        Pending,   ///< not shown yet
        NoAlias,   ///< the engine has no alias Orvelane: closed at once
        Declined,  ///< the user answered No: closed at once
        Converted, ///< "Conversion Complete"
        NoTables,  ///< "No Kestrova Tables Found."
        Failed,    ///< a file could not be read or a record not written: the error is shown
    };

    /// A window over the data module `dm` and the engine `engine`.
    TfConvert(TDMKV &dm, LegacyEngine engine, QWidget *parent = nullptr);
    ~TfConvert() override;

    /// Start-up: creates the window over DMKV and the engine as registered, shows it modally,
    /// destroys it. Returns false when the conversion failed, so that it is offered again.
    static bool run();

    /// Runs once the window is on the screen: the alias, the question, the conversion.
    void FormShow();
    /// The conversion with its progress texts and outcome.
    void ConvertData();
    /// "OK": closes the window.
    void BitBtn1Click();

    Outcome outcome() const { return m_outcome; }

    QLabel *Label1;
    QLabel *Label2;
    QLabel *Label3;
    QPushButton *BitBtn1;

protected:
    void showEvent(QShowEvent *event) override;

private:
    TDMKV &m_dm;
    LegacyEngine m_engine;
    std::optional<LegacyDatabase> m_source;
    Outcome m_outcome = Outcome::Pending;
    bool m_shown = false;
};

} // namespace kv
