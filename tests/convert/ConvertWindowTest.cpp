// The conversion window through its widgets, start-up's conversion check over the registered
// engine, and the import-v1 command.
#include "FakeServices.h"
#include "ImportCommand.h"
#include "LegacyFixture.h"
#include "Main.h"
#include "Startup.h"
#include "UConvert.h"

#include <QLabel>
#include <QPushButton>
#include <QStandardPaths>
#include <QTest>
#include <QTextStream>
#include <gtest/gtest.h>

using namespace kv;
using namespace kv::test;

namespace {

class ConvertWindowTest : public LegacyFixture
{
protected:
    LegacyEngine engine() const { return LegacyEngine({{QStringLiteral("orvelane"), m_legacy}}); }

    /// Shows the window as start-up does and waits until its first work is done.
    std::unique_ptr<TfConvert> showWindow(LegacyEngine e)
    {
        auto w = std::make_unique<TfConvert>(*dm, std::move(e));
        w->show();
        EXPECT_TRUE(
            QTest::qWaitFor([&] { return w->outcome() != TfConvert::Outcome::Pending; }, 5000));
        return w;
    }

    FakeServicesScope m_fakes;
};

TEST_F(ConvertWindowTest, ShowsItsCaptionSizeAndStartingTexts)
{
    TfConvert w(*dm, engine());
    EXPECT_EQ(w.windowTitle(), QStringLiteral("Converting Previous Kestrova Version Data"));
    EXPECT_EQ(w.size(), QSize(338, 120));
    EXPECT_EQ(w.cursor().shape(), Qt::WaitCursor);
    EXPECT_EQ(w.Label1->text(), QStringLiteral("Searching for Kestrova Data Files..."));
    EXPECT_TRUE(w.Label1->font().bold());
    EXPECT_EQ(w.Label2->text(), QStringLiteral("Conversion Complete"));
    EXPECT_EQ(w.Label3->text(),
              QStringLiteral("You may now safely remove the previous version of Kestrova."));
    EXPECT_EQ(w.BitBtn1->text(), QStringLiteral("OK"));
    EXPECT_TRUE(w.Label2->isHidden());
    EXPECT_TRUE(w.Label3->isHidden());
    EXPECT_FALSE(w.BitBtn1->isHidden());
}

TEST_F(ConvertWindowTest, WithoutTheAliasItClosesAtOnceWithoutAQuestion)
{
    writeAll();
    auto w = showWindow(LegacyEngine({{QStringLiteral("Other"), m_legacy}}));
    EXPECT_EQ(w->outcome(), TfConvert::Outcome::NoAlias);
    EXPECT_FALSE(w->isVisible());
    EXPECT_TRUE(m_fakes.messages->shown.isEmpty());
    EXPECT_EQ(count(*dm->TBCust), 0);
}

TEST_F(ConvertWindowTest, AnsweringNoConvertsNothingAndCloses)
{
    writeAll();
    m_fakes.messages->answerNext(MsgAnswer::No);
    auto w = showWindow(engine());
    ASSERT_EQ(m_fakes.messages->shown.size(), 1);
    const auto &q = m_fakes.messages->shown.first();
    EXPECT_EQ(q.kind, MsgKind::Confirmation);
    EXPECT_EQ(q.buttons, MsgButtons::YesNo);
    EXPECT_EQ(q.text,
              QStringLiteral("An older version of the Orvelane-Kestrova Database been detected.\r\n"
                             "Do you want to move any existing data to the current version of "
                             "Kestrova?"));
    EXPECT_EQ(w->outcome(), TfConvert::Outcome::Declined);
    EXPECT_EQ(w->Label1->text(), QStringLiteral("Kestrova v1.1 Data NOT Converted."));
    EXPECT_FALSE(w->isVisible());
    EXPECT_EQ(count(*dm->TBCust), 0);
    EXPECT_EQ(count(*dm->TBInout), 0);
}

TEST_F(ConvertWindowTest, YesConvertsAndShowsConversionCompleteUntilOk)
{
    writeAll();
    m_fakes.messages->answerNext(MsgAnswer::Yes);
    auto w = showWindow(engine());
    EXPECT_EQ(w->outcome(), TfConvert::Outcome::Converted);
    EXPECT_TRUE(w->isVisible());
    EXPECT_TRUE(w->Label1->isHidden());
    EXPECT_TRUE(w->Label2->isVisible());
    EXPECT_TRUE(w->Label3->isVisible());
    EXPECT_TRUE(w->BitBtn1->isVisible());
    EXPECT_EQ(count(*dm->TBCust), 2);
    EXPECT_EQ(count(*dm->TBInout), 4);
    QTest::mouseClick(w->BitBtn1, Qt::LeftButton);
    EXPECT_FALSE(w->isVisible());
    EXPECT_EQ(w->result(), QDialog::Accepted);
}

TEST_F(ConvertWindowTest, OnlyJobTypesStillShowConversionComplete)
{
    writeJobCodes();
    m_fakes.messages->answerNext(MsgAnswer::Yes);
    auto w = showWindow(engine());
    EXPECT_EQ(w->outcome(), TfConvert::Outcome::Converted);
    EXPECT_TRUE(w->Label2->isVisible());
    EXPECT_EQ(count(*dm->TBJobCode), 2);
    EXPECT_EQ(count(*dm->TBCust), 0);
    QTest::keyClick(w->BitBtn1, Qt::Key_Return);
    EXPECT_FALSE(w->isVisible());
}

TEST_F(ConvertWindowTest, NoTablesShowsTheTextWithOk)
{
    m_fakes.messages->answerNext(MsgAnswer::Yes);
    auto w = showWindow(engine());
    EXPECT_EQ(w->outcome(), TfConvert::Outcome::NoTables);
    EXPECT_TRUE(w->isVisible());
    EXPECT_EQ(w->Label1->text(), QStringLiteral("No Kestrova Tables Found."));
    EXPECT_TRUE(w->Label1->isVisible());
    EXPECT_TRUE(w->Label2->isHidden());
    QTest::mouseClick(w->BitBtn1, Qt::LeftButton);
    EXPECT_FALSE(w->isVisible());
}

TEST_F(ConvertWindowTest, ADamagedFileIsShownByNameAndWhatCameBeforeStays)
{
    writeAll();
    truncate(legacyPath(QStringLiteral("Tinout.DB")), 3000);
    m_fakes.messages->answerNext(MsgAnswer::Yes);
    auto w = showWindow(engine());
    EXPECT_EQ(w->outcome(), TfConvert::Outcome::Failed);
    ASSERT_EQ(m_fakes.messages->shown.size(), 2);
    EXPECT_EQ(m_fakes.messages->shown[1].kind, MsgKind::Error);
    EXPECT_TRUE(m_fakes.messages->shown[1].text.startsWith(QStringLiteral("Tinout.DB: ")))
        << m_fakes.messages->shown[1].text.toStdString();
    EXPECT_EQ(w->Label1->text(), m_fakes.messages->shown[1].text);
    EXPECT_TRUE(w->isVisible());
    EXPECT_EQ(count(*dm->TBCust), 2);
    QTest::mouseClick(w->BitBtn1, Qt::LeftButton);
    EXPECT_FALSE(w->isVisible());
}

/// Start-up over a data folder of its own, with the engine registered in the config folder.
class ConvertStartupTest : public LegacyFixture
{
protected:
    void SetUp() override
    {
        LegacyFixture::SetUp();
        dm.reset(); // start-up makes the data module
        m_configDir = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
                      QStringLiteral("/Kestrova");
        QDir(m_configDir).removeRecursively();
        QDir().mkpath(m_configDir);
        writeFile(QStringLiteral("Kestrova.conf"),
                  "[Kestrovav20]\nInstallDir1=" + m_dir.path().toUtf8() + "\n");
    }
    void TearDown() override
    {
        delete FMain;
        FMain = nullptr;
        delete DMKV;
        QDir(m_configDir).removeRecursively();
    }
    void writeFile(const QString &name, const QByteArray &bytes)
    {
        QFile f(m_configDir + u'/' + name);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(bytes);
    }
    void registerEngine()
    {
        writeFile(QStringLiteral("legacy-engine.ini"),
                  "[Aliases]\nORVELANE=" + m_legacy.toUtf8() + "\n");
    }
    /// A start as main() makes it, the conversion window included.
    void start()
    {
        delete FMain;
        FMain = nullptr;
        delete DMKV;
        Startup s;
        s.runConversion = [] { return TfConvert::run(); };
        s.run();
    }
    void offerConversion()
    {
        DMKV->TBDef->first();
        DMKV->TBDef->edit();
        DMKV->TBDefDataConverted->setAsBoolean(true);
        DMKV->TBDef->post();
    }
    bool offered()
    {
        DMKV->TBDef->first();
        return DMKV->TBDefDataConverted->asBoolean();
    }
    /// Clicks OK of the conversion window once it shows its outcome.
    void clickOkWhenShown()
    {
        QTimer::singleShot(0, [] {
            (void)QTest::qWaitFor(
                [] {
                    auto *w = qobject_cast<TfConvert *>(QApplication::activeModalWidget());
                    return w && w->outcome() != TfConvert::Outcome::Pending;
                },
                5000);
            if (auto *w = qobject_cast<TfConvert *>(QApplication::activeModalWidget()))
                QTest::mouseClick(w->BitBtn1, Qt::LeftButton);
        });
    }

    FakeServicesScope m_fakes;
    QString m_configDir;
};

TEST_F(ConvertStartupTest, NoClearsTheOfferAndYesConvertsOnceTheEngineIsRegistered)
{
    writeAll();
    start();
    offerConversion();
    // Not registered: no window, the offer is used up.
    start();
    EXPECT_TRUE(m_fakes.messages->shown.isEmpty());
    EXPECT_FALSE(offered());

    registerEngine();
    offerConversion();
    m_fakes.messages->answerNext(MsgAnswer::No);
    start();
    EXPECT_EQ(m_fakes.messages->shown.size(), 1);
    EXPECT_FALSE(offered());
    EXPECT_EQ(count(*DMKV->TBCust), 0);

    offerConversion();
    m_fakes.messages->answerNext(MsgAnswer::Yes);
    clickOkWhenShown();
    start();
    EXPECT_FALSE(offered());
    EXPECT_EQ(count(*DMKV->TBCust), 2);
    EXPECT_EQ(count(*DMKV->TBInout), 4);
    DMKV->TBDef->first();
    EXPECT_EQ(DMKV->TBDefCustName->asString(), QStringLiteral("Müller GmbH"));
}

TEST_F(ConvertStartupTest, AFailedConversionKeepsTheOfferForTheNextStart)
{
    writeAll();
    truncate(legacyPath(QStringLiteral("JobCode.DB")), 100);
    start();
    registerEngine();
    offerConversion();
    m_fakes.messages->answerNext(MsgAnswer::Yes);
    clickOkWhenShown();
    start();
    EXPECT_TRUE(offered());
    EXPECT_EQ(count(*DMKV->TBInout), 4);
    EXPECT_TRUE(m_fakes.messages->lastText().startsWith(QStringLiteral("JobCode.DB: ")));

    // Repaired, the next start converts the rest and adds nothing twice.
    writeJobCodes();
    m_fakes.messages->answerNext(MsgAnswer::Yes);
    clickOkWhenShown();
    start();
    EXPECT_FALSE(offered());
    EXPECT_EQ(count(*DMKV->TBInout), 4);
    EXPECT_EQ(count(*DMKV->TBJobCode), 2);
}

class ImportCommandTest : public LegacyFixture
{
protected:
    int run(const QStringList &args)
    {
        m_out.clear();
        m_err.clear();
        QTextStream out(&m_out), err(&m_err);
        dm.reset(); // the command opens the data folder itself
        const int rc = runImportCommand(args, out, err, [this] { return m_folder; });
        dm = std::make_unique<TDMKV>([this] { return m_folder; });
        return rc;
    }
    QString m_out, m_err;
};

TEST_F(ImportCommandTest, ImportsPrintsATableLineEachAndAddsNothingTwice)
{
    writeAll();
    EXPECT_EQ(run({QStringLiteral("import-v1"), QStringLiteral("--from"), m_legacy}), kImportOk);
    EXPECT_EQ(m_out, QStringLiteral("Configuration: copied from kvdef.DB\n"
                                    "Clients: 2 added, 1 already there\n"
                                    "Time log: 4 added, 1 already there\n"
                                    "Job types: 2 added, 1 already there\n"));
    EXPECT_TRUE(m_err.isEmpty()) << m_err.toStdString();
    EXPECT_EQ(count(*dm->TBInout), 4);

    QFile::remove(legacyPath(QStringLiteral("kvdef.DB")));
    EXPECT_EQ(run({QStringLiteral("import-v1"), QStringLiteral("--from=") + m_legacy}), kImportOk);
    EXPECT_EQ(m_out, QStringLiteral("Configuration: no kvdef.DB\n"
                                    "Clients: 0 added, 3 already there\n"
                                    "Time log: 0 added, 5 already there\n"
                                    "Job types: 0 added, 3 already there\n"));
    EXPECT_EQ(count(*dm->TBInout), 4);
}

TEST_F(ImportCommandTest, BadInputExitsOneNamingTheFileAndKeepsWhatCameBefore)
{
    writeAll();
    truncate(legacyPath(QStringLiteral("Tinout.DB")), 2500);
    EXPECT_EQ(run({QStringLiteral("import-v1"), QStringLiteral("--from"), m_legacy}),
              kImportFailed);
    EXPECT_TRUE(m_err.startsWith(QStringLiteral("kestrova: Tinout.DB: "))) << m_err.toStdString();
    EXPECT_TRUE(m_out.contains(QStringLiteral("Clients: 2 added, 1 already there\n")));
    EXPECT_EQ(count(*dm->TBCust), 2);

    EXPECT_EQ(run({QStringLiteral("import-v1"), QStringLiteral("--from"),
                   m_legacy + QStringLiteral("/x")}),
              kImportFailed);
    EXPECT_TRUE(m_err.contains(QStringLiteral("the folder does not exist"))) << m_err.toStdString();
    EXPECT_TRUE(m_out.isEmpty()) << m_out.toStdString();
    // The data folder is not even asked for.
    bool asked = false;
    QString out, err;
    QTextStream o(&out), e(&err);
    EXPECT_EQ(runImportCommand({QStringLiteral("import-v1"), QStringLiteral("--from"),
                                m_legacy + QStringLiteral("/x")},
                               o, e,
                               [&] {
                                   asked = true;
                                   return m_folder;
                               }),
              kImportFailed);
    EXPECT_FALSE(asked);

    const QString empty = m_dir.path() + QStringLiteral("/empty");
    QDir().mkpath(empty);
    EXPECT_EQ(run({QStringLiteral("import-v1"), QStringLiteral("--from"), empty}), kImportFailed);
    EXPECT_TRUE(m_err.startsWith(QStringLiteral("kestrova: No Kestrova Tables Found.")))
        << m_err.toStdString();
}

TEST_F(ImportCommandTest, BadArgumentsExitTwoWithTheUsage)
{
    for (const QStringList &args :
         {QStringList{QStringLiteral("import-v1")},
          QStringList{QStringLiteral("import-v1"), QStringLiteral("--from")},
          QStringList{QStringLiteral("import-v1"), QStringLiteral("--to"), QStringLiteral("x")},
          QStringList{QStringLiteral("import-v1"), QStringLiteral("x")},
          QStringList{QStringLiteral("import-v1"), QStringLiteral("--from"), QStringLiteral("a"),
                      QStringLiteral("--from"), QStringLiteral("b")}}) {
        EXPECT_EQ(run(args), kImportUsage) << args.join(u' ').toStdString();
        EXPECT_TRUE(m_err.contains(QStringLiteral("Usage:"))) << m_err.toStdString();
    }
    EXPECT_EQ(run({QStringLiteral("import-v1"), QStringLiteral("--help")}), kImportOk);
    EXPECT_TRUE(m_out.startsWith(QStringLiteral("Usage:")));
}

} // namespace
