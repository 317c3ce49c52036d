// The component's entry points without the dialog: readiness checks, file and view mode, the save
// dialog, events, failures, the worksheet row limit, and the temporary files of view mode.
#include <gtest/gtest.h>

#include "EC_View.h"
#include "ExportTestSupport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

using namespace kv;
using namespace kv::test;

namespace {

class Component : public ::testing::Test
{
protected:
    void SetUp() override
    {
        component.setDataSet(data.get());
        applyTimeLogProfile(component);
        component.OnExportFailed = [this](TExportXComponent *) { ++failed; };
        component.OnExportFinished = [this](TExportXComponent *) { ++finished; };
        component.OnBeginExport = [this](TExportXComponent *) { ++begun; };
    }
    QByteArray readAll(const QString &path)
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    LocaleScope locale{QLocale(QLocale::English, QLocale::UnitedStates)};
    FakeServicesScope services;
    std::unique_ptr<MemoryDataSet> data = makeTimeLog();
    TExportTable component;
    QTemporaryDir dir;
    int failed = 0, finished = 0, begun = 0;
};

TEST_F(Component, MissingOrInactiveDataSetIsAnErrorForTheCaller)
{
    TExportTable bare;
    try {
        bare.RunExport();
        FAIL();
    } catch (const ExportError &e) {
        EXPECT_EQ(e.message(), QStringLiteral("You must assign a TDataSet before attempting to "
                                              "Export/Print."));
    }
    data->active = false;
    EXPECT_THROW(component.RunExport(), ExportError);
    EXPECT_EQ(failed, 1);
}

TEST_F(Component, EmptyLogWarnsAndShowsNoDialog)
{
    MemoryDataSet empty({FieldDef::named(QStringLiteral("A"))});
    component.setDataSet(&empty);
    EXPECT_FALSE(component.Execute());
    EXPECT_EQ(services.messages->texts(),
              QStringList{QStringLiteral("There is no Data to Export.")});
    EXPECT_EQ(services.messages->shown[0].kind, MsgKind::Warning);
    EXPECT_EQ(failed, 1);
}

TEST_F(Component, AllFieldsHiddenGivesTheLongerWarning)
{
    for (int i = 0; i < data->fieldCount(); ++i)
        data->memoryField(i)->setVisible(false);
    EXPECT_FALSE(component.RunExport());
    EXPECT_EQ(
        services.messages->lastText(),
        QStringLiteral("There is no Data to Export.\n\nPlease ensure your columns are visible "
                       "and have data."));
}

TEST_F(Component, CancellingTheSaveDialogFailsOnceAndClearsExportFile)
{
    component.setViewOnly(false);
    component.setExportType(xText_Comma_Delimited);
    EXPECT_FALSE(component.RunExport());
    EXPECT_EQ(failed, 1);
    EXPECT_EQ(begun, 0);
    EXPECT_TRUE(component.ExportFile().isEmpty());
    EXPECT_EQ(services.fileDialogs->captions,
              QStringList{QStringLiteral("Export to Comma-Delimited Text (CSV) File")});
    EXPECT_TRUE(services.messages->shown.isEmpty());
}

TEST_F(Component, FileModeWritesTheChosenFileWithTheFormatsExtension)
{
    component.setViewOnly(false);
    component.setExportType(xText_Comma_Delimited);
    services.fileDialogs->answerNext(dir.filePath(QStringLiteral("march")));
    EXPECT_TRUE(component.RunExport());
    EXPECT_EQ(readAll(dir.filePath(QStringLiteral("march.csv"))).count('\n'), 6);
    EXPECT_EQ(begun, 1);
    EXPECT_EQ(finished, 1);
    EXPECT_EQ(failed, 0);
    EXPECT_TRUE(component.ExportFile().isEmpty());
    EXPECT_TRUE(services.shell->opened.isEmpty());
}

TEST_F(Component, GivenExportFileNeedsNoDialog)
{
    // What the command line does: file mode, a given file, no dialog, no progress window.
    component.setViewOnly(false);
    component.setExportType(xSYLK);
    component.setExportFile(dir.filePath(QStringLiteral("out.slk")));
    EXPECT_TRUE(component.RunExport());
    EXPECT_TRUE(services.fileDialogs->captions.isEmpty());
    EXPECT_TRUE(readAll(dir.filePath(QStringLiteral("out.slk"))).endsWith("E\r\n"));
}

TEST_F(Component, ViewModeWritesATemporaryFileAndOpensIt)
{
    services.fileTypes->viewable.insert(QStringLiteral(".htm"));
    component.setExportType(xHTML);
    component.viewerSettleMs = 0;
    EXPECT_TRUE(component.RunExport());
    ASSERT_EQ(services.shell->opened.size(), 1);
    const QString path = services.shell->opened[0].toLocalFile();
    EXPECT_TRUE(QFileInfo(path).fileName().startsWith(QStringLiteral("exp")));
    EXPECT_TRUE(path.endsWith(QStringLiteral(".htm")));
    EXPECT_EQ(QFileInfo(path).absolutePath(), ExportTempFolder());
    EXPECT_TRUE(readAll(path).endsWith("</font></body></html>"));
    EXPECT_TRUE(RegisteredTempFiles().contains(path));
}

TEST_F(Component, ViewerThatCannotStartShowsTheViewerError)
{
    services.fileTypes->viewable.insert(QStringLiteral(".txt"));
    services.shell->result = false;
    component.setExportType(xText);
    component.viewerSettleMs = 0;
    component.RunExport();
    EXPECT_EQ(services.messages->lastText(),
              QStringLiteral("Error occured while trying to view data exported to the Text format."
                             "\n\nIf this problem persists, you may want to consider re-installing "
                             "the Text Viewer Application."));
}

TEST_F(Component, FormatWithoutAViewerAsksForAFile)
{
    component.setExportType(xDIF);
    component.setViewOnly(true);
    EXPECT_FALSE(component.RunExport());
    EXPECT_EQ(services.fileDialogs->captions.size(), 1);
}

TEST_F(Component, InvalidFooterFormatFailsTheRunWithTheWritersMessage)
{
    component.setFooter({QStringLiteral("100% done")});
    component.setViewOnly(false);
    component.setExportType(xText);
    component.setExportFile(dir.filePath(QStringLiteral("f.txt")));
    EXPECT_FALSE(component.RunExport());
    EXPECT_EQ(services.messages->lastText(), ExportText::textFileFailed());
    EXPECT_EQ(failed, 1);
    EXPECT_EQ(finished, 0);
}

TEST_F(Component, AFailureToReadTheDataShowsThatFailureNotTheFormatsAdvice)
{
    data->failAtRow = 2;
    component.setViewOnly(false);
    component.setExportType(xText_Comma_Delimited);
    component.setExportFile(dir.filePath(QStringLiteral("f.csv")));
    EXPECT_FALSE(component.RunExport());
    EXPECT_EQ(services.messages->lastText(),
              QStringLiteral("Cannot read data file Tinout201.DAT: database disk image is "
                             "malformed"));
    EXPECT_EQ(failed, 1);
    EXPECT_EQ(data->disabledDepth, 0);
}

TEST_F(Component, OutputFileThatCannotBeCreatedReachesTheCaller)
{
    component.setViewOnly(false);
    component.setExportType(xMicrosoft_Excel);
    component.setExportFile(dir.filePath(QStringLiteral("no/such/folder/x.xls")));
    EXPECT_THROW(component.RunExport(), ExportError);
    EXPECT_EQ(failed, 1);
    EXPECT_TRUE(component.ExportFile().isEmpty());
    EXPECT_EQ(data->disabledDepth, 0);
}

TEST_F(Component, SelectedRowsOnlyExportsTheCurrentRecordWithoutMoving)
{
    component.setOptions(SelectedRowsOnly | ShowColHeaders);
    component.setViewOnly(false);
    component.setExportType(xText_Tab_Delimited);
    component.setExportFile(dir.filePath(QStringLiteral("one.txt")));
    data->setPosition(3);
    EXPECT_TRUE(component.RunExport());
    const QList<QByteArray> lines = readAll(dir.filePath(QStringLiteral("one.txt"))).split('\n');
    ASSERT_EQ(lines.size(), 3);
    EXPECT_TRUE(lines[1].startsWith("3/5/26\tPlain\t"));
    EXPECT_EQ(data->position(), 3);
}

TEST_F(Component, ARowKeptFromRecordToRecordHoldsWhatAFreshRowHolds)
{
    // The record loop overwrites one row in place; a value that is null, or of another kind,
    // after the last record's must not keep anything of it.
    auto defs = [] {
        return std::vector<FieldDef>{FieldDef::named(QStringLiteral("D"), ExportFieldType::Date),
                                     FieldDef::named(QStringLiteral("B"), ExportFieldType::Boolean),
                                     FieldDef::named(QStringLiteral("H"), ExportFieldType::Float),
                                     FieldDef::named(QStringLiteral("T"))};
    };
    MemoryDataSet kept(defs()), fresh(defs());
    const QVariant null;
    for (MemoryDataSet *ds : {&kept, &fresh}) {
        ds->addRow({dateValue(2026, 3, 2), true, 1.5, QStringLiteral("a")});
        ds->addRow({null, null, null, null});
        ds->addRow({dateValue(2026, 3, 4), false, 2.0, QString()});
        ds->addRow({null, true, null, QStringLiteral("b")});
    }
    for (const bool utf8 : {false, true}) {
        TExportTable a, b;
        a.setDataSet(&kept);
        b.setDataSet(&fresh);
        QStringList names;
        ExportRow row;
        for (TExportTable *c : {&a, &b}) {
            c->setOptions(NumberRows | ShowColHeaders);
            c->setUtf8Texts(utf8);
            c->FillColumnNames(names);
            c->BeginExport();
            c->ResetCounters();
        }
        int n = 0;
        while (a.HasMoreItems() && b.HasMoreItems()) {
            ExportRow newRow;
            a.NextItem(row);
            b.NextItem(newRow);
            ++n;
            ASSERT_EQ(row.size(), newRow.size());
            for (size_t i = 0; i < row.size(); ++i) {
                const ExportValue &x = row[i], &y = newRow[i];
                const std::string at = std::to_string(n) + "/" + std::to_string(i);
                EXPECT_EQ(x.isUtf8, y.isUtf8) << at;
                EXPECT_EQ(x.isUtf8 ? QString::fromUtf8(x.utf8) : x.text,
                          y.isUtf8 ? QString::fromUtf8(y.utf8) : y.text)
                    << at;
                EXPECT_EQ(x.hasInfo, y.hasInfo) << at;
                EXPECT_EQ(x.info.HasDisplayText, y.info.HasDisplayText) << at;
                if (x.info.HasDisplayText) {
                    EXPECT_EQ(x.info.DisplayText, y.info.DisplayText) << at;
                }
                EXPECT_EQ(x.info.BoolState, y.info.BoolState) << at;
                EXPECT_EQ(x.hasSerial, y.hasSerial) << at;
                if (x.hasSerial) {
                    EXPECT_EQ(x.serial, y.serial) << at;
                }
            }
            // The item number, as text or as bytes.
            EXPECT_EQ(row[0].isUtf8, utf8);
            EXPECT_EQ(utf8 ? QString::fromUtf8(row[0].utf8) : row[0].text, QString::number(n));
        }
        EXPECT_EQ(n, 4);
        a.EndExport();
        b.EndExport();
    }
}

TEST_F(Component, ForgetsADestroyedDataSet)
{
    auto other = makeTimeLog();
    component.setDataSet(other.get());
    other.reset();
    EXPECT_EQ(component.DataSet(), nullptr);
}

TEST_F(Component, TakesTheOwnersFirstDataSet)
{
    QObject owner;
    auto *ds = makeTimeLog(&owner).release();
    TExportTable owned(&owner);
    EXPECT_EQ(owned.DataSet(), ds);
}

TEST_F(Component, WorksheetTellsHowManyRecordsDidNotFit)
{
    MemoryDataSet big({FieldDef::named(QStringLiteral("N"), ExportFieldType::Integer)});
    constexpr int kRecords = 70000;
    for (int i = 0; i < kRecords; ++i)
        big.addRow({i});
    component.setDataSet(&big);
    component.setOptions(ShowColHeaders);
    component.setTitle(QString());
    component.setHeader({});
    component.setViewOnly(false);
    component.setExportType(xMicrosoft_Excel);
    component.setExportFile(dir.filePath(QStringLiteral("big.xls")));
    EXPECT_TRUE(component.RunExport());
    // Row 0 holds the titles, rows 1 to 65535 the first 65535 records.
    EXPECT_EQ(component.RecordsLeftOut(), kRecords - 65535);
    EXPECT_EQ(services.messages->lastText(), ExportText::worksheetRowsLeftOut(kRecords - 65535));
    EXPECT_EQ(services.messages->shown.last().kind, MsgKind::Warning);
}

TEST(TempFiles, NamesAreFreshAndOnlyOurOwnLeftoversAreDeleted)
{
    const QString a = TempFileName(QStringLiteral("htm"));
    const QString b = TempFileName(QStringLiteral("htm"));
    EXPECT_NE(a, b);
    EXPECT_FALSE(QFile::exists(a));
    EXPECT_TRUE(QFileInfo(a).fileName().startsWith(QStringLiteral("exp")));
    const QString tmpName = a.left(a.size() - 3) + QStringLiteral("tmp");
    EXPECT_TRUE(RegisteredTempFiles().contains(a));
    EXPECT_TRUE(RegisteredTempFiles().contains(tmpName));

    QFile(a).open(QIODevice::WriteOnly);
    // Another program's file in the shared temporary folder that matches "exp*".
    const QString foreign = QDir::tempPath() + QStringLiteral("/expForeignProgram.txt");
    QFile(foreign).open(QIODevice::WriteOnly);
    // A leftover of an earlier run in our own folder, two days old.
    const QString leftover = ExportTempFolder() + QStringLiteral("/expOLD123.csv");
    {
        QFile f(leftover);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.setFileTime(QDateTime::currentDateTime().addDays(-2), QFileDevice::FileModificationTime);
    }
    DeleteTempFiles();
    EXPECT_FALSE(QFile::exists(a));
    EXPECT_FALSE(QFile::exists(leftover));
    EXPECT_TRUE(QFile::exists(foreign));
    QFile::remove(foreign);
}

} // namespace
