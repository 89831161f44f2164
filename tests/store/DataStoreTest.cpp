#include "store/DataStore.h"

#include "store/Encodings.h"
#include "store/Schema.h"
#include "tests/support/DataFile.h"
#include "tests/support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using platform::MsgAnswer;
using testing_support::ReadAll;
using testing_support::ScriptedMessages;
using testing_support::TempProgramDir;
using testing_support::WriteAll;

const QString kFirstRun = QStringLiteral("This appears to be your first time running Cofferly.\r\n"
                                         "Would you like to run the Setup Wizard to help you get started?");

class DataStoreTest : public ::testing::Test
{
protected:
    QString DataFile() const { return dir.File(QStringLiteral("Cofferly.db")); }
    QString Count(const QString& type)
    {
        // The engine's own index behind UNIQUE is not one of ours.
        return store.StoreQueryValue(
            QStringLiteral("SELECT count(*) FROM sqlite_master WHERE type = %1 AND name NOT LIKE 'sqlite%'")
                .arg(SqlText(type)));
    }

    TempProgramDir dir;
    TDataStore store;
};

TEST_F(DataStoreTest, FirstStartCreatesTheSchemaAndAsksOnce)
{
    int wizardRuns = 0;
    store.SetSetupWizardHook([&](TSQLiteDatabase&) { ++wizardRuns; });
    {
        ScriptedMessages messages;
        messages.Expect(kFirstRun, MsgAnswer::No);
        EXPECT_EQ(Count(QStringLiteral("table")), QStringLiteral("8"));
        EXPECT_EQ(Count(QStringLiteral("index")), QStringLiteral("15"));
        EXPECT_EQ(store.StoreQueryValue(QStringLiteral("SELECT count(*) FROM BudgetSystems")), QStringLiteral("0"));
    }
    EXPECT_EQ(wizardRuns, 0);
    EXPECT_FALSE(store.Data().IsOpen());

    // The next start of the program finds the file and asks nothing.
    TDataStore nextRun;
    ScriptedMessages silent;
    EXPECT_EQ(nextRun.StoreQueryValue(QStringLiteral("SELECT count(*) FROM sqlite_master WHERE type = 'table'")),
              QStringLiteral("8"));
}

TEST_F(DataStoreTest, YesRunsTheWizardOnTheOpenFile)
{
    store.SetSetupWizardHook([&](TSQLiteDatabase& db) {
        EXPECT_TRUE(db.IsOpen());
        db.ExecSQL(QStringLiteral("INSERT INTO BudgetSystems (Name) VALUES ('Home')"));
        EXPECT_EQ(db.LastInsertRowID(), 1);
    });
    ScriptedMessages messages;
    messages.Expect(kFirstRun, MsgAnswer::Yes);
    store.OpenStore();
    EXPECT_TRUE(store.Data().IsOpen());
    store.Data().Close();
    EXPECT_EQ(store.StoreQueryValue(QStringLiteral("SELECT Name FROM BudgetSystems")), QStringLiteral("Home"));
}

TEST_F(DataStoreTest, RemovedFileIsCreatedAgainAndAsksAgain)
{
    ScriptedMessages messages;
    messages.Expect(kFirstRun, MsgAnswer::No).Expect(kFirstRun, MsgAnswer::No);
    store.StoreExec(QStringLiteral("SELECT 1"));
    ASSERT_TRUE(QFile::remove(DataFile()));
    store.StoreExec(QStringLiteral("SELECT 1"));
    EXPECT_TRUE(QFile::exists(DataFile()));
}

const QString kCreatedAnew =
    QStringLiteral("The change could not be saved: the data file had gone missing and has been "
                   "created anew; the change was meant for the file that went, so nothing "
                   "was written.");

// A change made for the rows of a file that went must not land in the new one, where the same ROWIDs name
// other rows; the owner's views are rebuilt first.
TEST_F(DataStoreTest, AChangeForAFileThatWentIsRefusedUntilTheViewsAreRebuilt)
{
    testing_support::CreateDataFile(DataFile(), testing_support::OneSystemOneAccount());
    int recreated = 0;
    store.SetRecreatedHook([&] { ++recreated; });
    const auto addParty = [](TStoreChange& change) {
        change.Require(QStringLiteral("SELECT count(*) FROM BudgetSystems WHERE ROWID = 1"),
                       QStringLiteral("That system is gone."));
        change.Exec(QStringLiteral("INSERT INTO Parties (SystemID, Name) VALUES (1, 'Grocer')"));
    };
    ScriptedMessages messages;
    EXPECT_TRUE(store.Change(addParty));
    EXPECT_EQ(recreated, 0);
    const quint64 generation = store.Generation();

    // Its own opening creates the file: the question is asked, and the change is not made.
    ASSERT_TRUE(QFile::remove(DataFile()));
    messages.Expect(kFirstRun, MsgAnswer::No).Expect(kCreatedAnew);
    EXPECT_FALSE(store.Change(addParty));
    EXPECT_EQ(recreated, 1);
    EXPECT_EQ(store.Generation(), generation + 1);
    EXPECT_FALSE(store.Data().IsOpen());
    // Re-created by a read (the tree's, say) and given a system with ROWID 1, the file still takes no change
    // until the views have been rebuilt from it.
    ASSERT_TRUE(QFile::remove(DataFile()));
    messages.Expect(kFirstRun, MsgAnswer::No);
    EXPECT_EQ(store.StoreQueryValue(QStringLiteral("SELECT count(*) FROM Parties")), QStringLiteral("0"));
    store.StoreExec(QStringLiteral("INSERT INTO BudgetSystems (Name) VALUES ('New')"));
    EXPECT_EQ(recreated, 2);
    messages.Expect(kCreatedAnew);
    EXPECT_FALSE(store.Change(addParty));
    EXPECT_EQ(store.StoreQueryValue(QStringLiteral("SELECT count(*) FROM Parties")), QStringLiteral("0"));

    store.ViewsRebuilt();
    EXPECT_TRUE(store.Change(addParty));
    EXPECT_EQ(store.StoreQueryValue(QStringLiteral("SELECT count(*) FROM Parties")), QStringLiteral("1"));
    EXPECT_EQ(messages.Pending(), 0);
}

// The setup wizard's changes, on the file it is run for, are taken; and what it opens or reads meanwhile
// (a plug-in told of its changes) leaves the file open for it.
TEST_F(DataStoreTest, WhileTheWizardHoldsTheNewFileItsChangesAndReadsKeepItOpen)
{
    int recreated = 0;
    store.SetRecreatedHook([&] { ++recreated; });
    bool stayedOpen = true;
    store.SetSetupWizardHook([&](TSQLiteDatabase& db) {
        EXPECT_TRUE(store.Change([](TStoreChange& change) {
            change.Exec(QStringLiteral("INSERT INTO BudgetSystems (Name) VALUES ('Home')"));
        }));
        stayedOpen = stayedOpen && db.IsOpen();
        EXPECT_EQ(store.StoreQueryValue(QStringLiteral("SELECT Name FROM BudgetSystems")), QStringLiteral("Home"));
        stayedOpen = stayedOpen && db.IsOpen();
        store.StoreExec(QStringLiteral("INSERT INTO Parties (SystemID, Name) VALUES (1, 'Grocer')"));
        stayedOpen = stayedOpen && db.IsOpen();
    });
    ScriptedMessages messages;
    messages.Expect(kFirstRun, MsgAnswer::Yes);
    store.OpenStore();
    EXPECT_TRUE(stayedOpen);
    EXPECT_TRUE(store.Data().IsOpen());
    store.Data().Close();
    // The very first file replaces none: nothing is told, and changes are taken at once.
    EXPECT_EQ(recreated, 0);
    EXPECT_TRUE(store.ChangeStatements({QStringLiteral("INSERT INTO Parties (SystemID, Name) VALUES (1, 'Baker')")}));
    EXPECT_EQ(store.StoreQueryValue(QStringLiteral("SELECT count(*) FROM Parties")), QStringLiteral("2"));
    // Opened by their own call, the one-shot operations close the file again.
    EXPECT_FALSE(store.Data().IsOpen());
}

TEST_F(DataStoreTest, EmptyFileIsTreatedAsNew)
{
    WriteAll(DataFile(), QByteArray());
    ScriptedMessages messages;
    messages.Expect(kFirstRun, MsgAnswer::No);
    EXPECT_EQ(Count(QStringLiteral("table")), QStringLiteral("8"));
}

TEST_F(DataStoreTest, OlderLayoutReachesTheUpgradeHook)
{
    testing_support::CreatePreviousLayoutFile(DataFile());
    int upgrades = 0;
    store.SetUpgradeHook([&](TSQLiteDatabase& db, const QString& path) {
        ++upgrades;
        EXPECT_TRUE(db.IsOpen());
        EXPECT_EQ(path, DataFile());
        db.ExecSQL(QStringLiteral("CREATE TABLE NewBudgetTransactions (BudgetCatID INTEGER NOT NULL)"));
        return true;
    });
    ScriptedMessages silent;
    store.StoreExec(QStringLiteral("SELECT 1"));
    store.StoreExec(QStringLiteral("SELECT 1"));
    EXPECT_EQ(upgrades, 1);

    // An upgrade that failed is not tried again at every action of the same run, only at the next start.
    testing_support::CreatePreviousLayoutFile(dir.File(QStringLiteral("Other.db")));
    QFile::remove(DataFile());
    QFile::rename(dir.File(QStringLiteral("Other.db")), DataFile());
    TDataStore failing;
    int tries = 0;
    failing.SetUpgradeHook([&](TSQLiteDatabase&, const QString&) { return ++tries < 0; });
    EXPECT_EQ(failing.StoreQueryValue(QStringLiteral("SELECT 42")), QString());
    EXPECT_EQ(failing.StoreQueryValue(QStringLiteral("SELECT 42")), QString());
    EXPECT_EQ(tries, 1);
}

TEST_F(DataStoreTest, CurrentLayoutOpensAsItIs)
{
    {
        ScriptedMessages messages;
        messages.Expect(kFirstRun, MsgAnswer::No);
        store.StoreExec(QStringLiteral("SELECT 1"));
    }
    int upgrades = 0;
    store.SetUpgradeHook([&](TSQLiteDatabase&, const QString&) {
        ++upgrades;
        return true;
    });
    ScriptedMessages silent;
    store.StoreExec(QStringLiteral("SELECT 1"));
    EXPECT_EQ(upgrades, 0);
}

struct UnusableCase
{
    const char* name;
    QByteArray content;
    const char* messagePart;
};

void PrintTo(const UnusableCase& c, std::ostream* os)
{
    *os << c.name;
}

class UnusableFileTest : public ::testing::TestWithParam<UnusableCase>
{
};

TEST_P(UnusableFileTest, IsReportedOnceAndNeverWritten)
{
    TempProgramDir dir;
    const QString path = dir.File(QStringLiteral("Cofferly.db"));
    const QByteArray before = GetParam().content;
    WriteAll(path, before);

    TDataStore store;
    ScriptedMessages messages;
    messages.ExpectContaining(QString::fromLatin1(GetParam().messagePart));
    store.StoreExec(QStringLiteral("CREATE TABLE X (A); INSERT INTO X VALUES (1)"));
    EXPECT_EQ(store.StoreQueryValue(QStringLiteral("SELECT 42")), QString());
    store.OpenStore();
    EXPECT_FALSE(store.Data().IsOpen());

    ASSERT_EQ(messages.Shown().size(), 1u);
    EXPECT_TRUE(messages.Shown().front().contains(path)) << messages.Shown().front().toStdString();
    EXPECT_EQ(ReadAll(path), before);
    EXPECT_FALSE(QFile::exists(path + QStringLiteral("-journal")));
}

QByteArray Sqlite2File()
{
    QByteArray bytes("** This file contains an SQLite 2.1 database **");
    bytes.append(QByteArray(1024 - bytes.size(), '\0'));
    return bytes;
}

QByteArray DamagedSqlite3File()
{
    // A valid header followed by a page that is not a b-tree page at all.
    QByteArray bytes("SQLite format 3", 16);
    bytes.append(QByteArray(4096 - 16, '\x5a'));
    bytes[16] = 0x10; // page size 4096
    bytes[17] = 0x00;
    return bytes;
}

// A valid database of some other program: it even has tables of our names, but not all of them.
QByteArray ForeignSqlite3File()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("other.db"));
    {
        TSQLiteDatabase db;
        db.SetFileName(path);
        db.Open();
        db.ExecSQL(QStringLiteral("CREATE TABLE BudgetSystems (Name); CREATE TABLE Accounts (Name);"
                                  "CREATE TABLE Recipes (Title); INSERT INTO Recipes VALUES ('Soup')"));
    }
    return ReadAll(path);
}

INSTANTIATE_TEST_SUITE_P(
    Files, UnusableFileTest,
    ::testing::Values(UnusableCase{"Sqlite2", Sqlite2File(), "SQLite 2"},
                      UnusableCase{"Text", QByteArray("These are my notes, not a database.\n"), "damaged"},
                      UnusableCase{"DamagedHeader", DamagedSqlite3File(), "damaged"},
                      UnusableCase{"OtherProgramsDatabase", ForeignSqlite3File(), "not a Cofferly data file"}),
    [](const ::testing::TestParamInfo<UnusableCase>& info) { return std::string(info.param.name); });

TEST_F(DataStoreTest, ThePreviousLayoutWithoutAnUpgradeIsRefusedAndKept)
{
    testing_support::CreatePreviousLayoutFile(DataFile(),
                                              QStringLiteral("INSERT INTO BudgetSystems (Name) VALUES ('Home')"));
    const QByteArray before = ReadAll(DataFile());
    ScriptedMessages messages;
    messages.ExpectContaining(QStringLiteral("earlier version of Cofferly"))
        .Expect(QStringLiteral("The change could not be saved: the data file could not be opened."));
    EXPECT_EQ(store.StoreQueryValue(QStringLiteral("SELECT Name FROM BudgetSystems")), QString());
    EXPECT_FALSE(store.Change([](TStoreChange& change) { change.Exec(QStringLiteral("DELETE FROM BudgetSystems")); }));
    EXPECT_EQ(ReadAll(DataFile()), before);
}

// Runs the check as a user who is not the super-user, for whom permission bits mean nothing; the user
// "nobody" is given the folder first. Returns the check's verdict.
bool AsOrdinaryUser(const QString& folder, const std::function<bool()>& check)
{
    if (geteuid() != 0)
        return check();
    const uid_t nobody = 65534;
    for (const QString& path : QDir(folder).entryList(QDir::Files))
        EXPECT_EQ(chown(QFile::encodeName(QDir(folder).filePath(path)).constData(), nobody, nobody), 0);
    EXPECT_EQ(chown(QFile::encodeName(folder).constData(), nobody, nobody), 0);
    const pid_t child = fork();
    if (child == 0) {
        const bool ok = setgid(nobody) == 0 && setuid(nobody) == 0 && check();
        _exit(ok ? 0 : 1);
    }
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

TEST_F(DataStoreTest, AFolderThatCannotTakeAChangeIsToldAndChangesFailVisibly)
{
    testing_support::CreateDataFile(DataFile(), testing_support::OneSystemOneAccount());
    ASSERT_TRUE(QFile::setPermissions(DataFile(), QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup |
                                                      QFile::WriteGroup | QFile::ReadOther | QFile::WriteOther));
    ASSERT_TRUE(QFile::setPermissions(dir.Path(), QFile::ReadOwner | QFile::ExeOwner | QFile::ReadGroup |
                                                      QFile::ExeGroup | QFile::ReadOther | QFile::ExeOther));
    const QByteArray before = ReadAll(DataFile());
    const bool ok = AsOrdinaryUser(dir.Path(), [this] {
        TDataStore ordinary;
        ScriptedMessages messages;
        messages.ExpectContaining(QStringLiteral("lies in a folder that you may not write to"))
            .ExpectContaining(QStringLiteral("The change could not be saved: "));
        const bool reads =
            ordinary.StoreQueryValue(QStringLiteral("SELECT Name FROM BudgetSystems")) == QLatin1String("Home");
        const bool refused = !ordinary.Change([](TStoreChange& change) {
            change.Exec(QStringLiteral("INSERT INTO BudgetSystems (Name) VALUES ('Work')"));
        });
        const bool told = messages.Pending() == 0 && messages.Shown().size() == 2;
        if (!reads || !refused || !told)
            fprintf(stderr, "reads %d refused %d told %d\n", reads, refused, told);
        return reads && refused && told;
    });
    QFile::setPermissions(dir.Path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    EXPECT_TRUE(ok);
    EXPECT_EQ(ReadAll(DataFile()), before);
}

TEST_F(DataStoreTest, AChangeTakesEffectWholeOrNotAtAll)
{
    testing_support::CreateDataFile(DataFile(), testing_support::OneSystemOneAccount());
    // The second of three inserts is refused by the file itself.
    store.StoreExec(QStringLiteral("CREATE TRIGGER OnlyOne BEFORE INSERT ON Parties WHEN "
                                   "(SELECT count(*) FROM Parties) >= 1 BEGIN SELECT RAISE(ABORT, 'full up'); END"));
    const auto threeParties = [](TStoreChange& change) {
        for (const char* name : {"Grocer", "Baker", "Butcher"})
            change.Exec(QStringLiteral("INSERT INTO Parties (SystemID, Name) VALUES (1, %1)")
                            .arg(SqlText(QLatin1String(name))));
    };
    const QByteArray before = ReadAll(DataFile());
    ScriptedMessages messages;
    messages.Expect(QStringLiteral("The change could not be saved: full up"));
    EXPECT_FALSE(store.Change(threeParties));
    EXPECT_FALSE(store.Data().IsOpen());
    EXPECT_EQ(ReadAll(DataFile()), before);

    // A refusal is shown as it stands; an error of the program's own goes on up, and both leave nothing.
    messages.Expect(QStringLiteral("That system is gone."));
    EXPECT_FALSE(store.Change([](TStoreChange& change) {
        change.Exec(QStringLiteral("DELETE FROM Accounts"));
        change.Require(QStringLiteral("SELECT count(*) FROM BudgetSystems WHERE ROWID = 7"),
                       QStringLiteral("That system is gone."));
    }));
    EXPECT_THROW(store.Change([](TStoreChange& change) {
        change.Exec(QStringLiteral("DELETE FROM Accounts"));
        MoneyTextToHundredths(QStringLiteral("abc"));
    }),
                 EConvertError);
    EXPECT_FALSE(store.Data().IsOpen());
    EXPECT_EQ(ReadAll(DataFile()), before);

    store.StoreExec(QStringLiteral("DROP TRIGGER OnlyOne"));
    EXPECT_TRUE(store.Change(threeParties));
    EXPECT_EQ(store.StoreQueryValue(
                  QStringLiteral("SELECT group_concat(Name, ',') FROM (SELECT Name FROM Parties ORDER BY ROWID)")),
              QStringLiteral("Grocer,Baker,Butcher"));
}

TEST_F(DataStoreTest, EveryTableFillsItsDefaults)
{
    testing_support::CreateDataFile(DataFile());
    struct Case
    {
        const char* insert;
        const char* read;
        const char* expected;
    };
    const Case cases[] = {
        {"INSERT INTO BudgetSystems (Name) VALUES ('Home')", "SELECT quote(Pass) FROM BudgetSystems", "NULL"},
        {"INSERT INTO Accounts (SystemID, Name) VALUES (1, 'Cash')",
         "SELECT Deleted || ShowPassed || ShowUnpassed || ShowCredits || ShowDebits || ShowTransfers || '/' || "
         "Age || '/' || quote(ShowNotes) || '/' || ShowParty || '/' || quote(ShowID) FROM Accounts",
         "fftttt/3/NULL/0/NULL"},
        {"INSERT INTO Transactions (AccountID, Date, SecondPartyID) VALUES (1, 46000, 0)",
         "SELECT Passed || '/' || quote(TransID) || '/' || Amount || '/' || GrossAmount || '/' || quote(Notes) "
         "FROM Transactions",
         "f/NULL/0/0/NULL"},
        {"INSERT INTO BudgetCategories (SystemID, Name) VALUES (1, 'Food')", "SELECT Deleted FROM BudgetCategories",
         "f"},
        {"INSERT INTO BudgetRules (SystemID, FromBudgetCat, IntoBudgetCat, Priority) VALUES (1, 0, 1, 0)",
         "SELECT IsPercent || '/' || PercentOf || '/' || Value || '/' || AllAccounts || '/' || quote(AccountID) || "
         "'/' || AllDeposits || '/' || quote(PartyID) FROM BudgetRules",
         "t/Net Deposit/0/t/NULL/t/NULL"},
        {"INSERT INTO Parties (SystemID, Name) VALUES (1, 'Grocer')", "SELECT Deleted FROM Parties", "f"},
        {"INSERT INTO NewBudgetTransactions (BudgetCatID, Amount, TransDate) VALUES (1, 5, 46000)",
         "SELECT TransID FROM NewBudgetTransactions", "0"},
        // Typed columns: a quoted number is stored as a number, so it sorts and compares as one.
        {"INSERT INTO TransTOTrans (TransID1, TransID2) VALUES ('10', '9')",
         "SELECT typeof(TransID1) || (TransID1 > TransID2) FROM TransTOTrans", "integer1"},
    };
    ScriptedMessages messages;
    for (const Case& c : cases) {
        store.StoreExec(QString::fromLatin1(c.insert));
        EXPECT_EQ(store.StoreQueryValue(QString::fromLatin1(c.read)), QString::fromLatin1(c.expected)) << c.insert;
    }
}

// Marks a file unwritable for the test's user; the super-user needs the immutable flag for that.
class UnwritableFile
{
public:
    explicit UnwritableFile(const QString& path) : m_path(path)
    {
        QFile::setPermissions(path, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther);
        if (QFileInfo(path).isWritable() || OpenForWriting())
            m_immutable = QProcess::execute(QStringLiteral("chattr"), {QStringLiteral("+i"), path}) == 0;
    }
    ~UnwritableFile()
    {
        if (m_immutable)
            QProcess::execute(QStringLiteral("chattr"), {QStringLiteral("-i"), m_path});
        QFile::setPermissions(m_path, QFile::ReadOwner | QFile::WriteOwner);
    }
    bool Holds() { return !OpenForWriting(); }

private:
    bool OpenForWriting()
    {
        QFile file(m_path);
        return file.open(QIODevice::ReadWrite);
    }
    QString m_path;
    bool m_immutable = false;
};

TEST_F(DataStoreTest, ReadOnlyFileIsReadAndTheLossOfChangesToldOnce)
{
    {
        ScriptedMessages messages;
        messages.Expect(kFirstRun, MsgAnswer::No);
        store.StoreExec(QStringLiteral("INSERT INTO BudgetSystems (Name) VALUES ('Home')"));
    }
    UnwritableFile unwritable(DataFile());
    if (!unwritable.Holds())
        GTEST_SKIP() << "this machine cannot make a file unwritable for the test's user";
    TDataStore nextRun;
    ScriptedMessages messages;
    messages.ExpectContaining(QStringLiteral("can be read but not written"));
    EXPECT_EQ(nextRun.StoreQueryValue(QStringLiteral("SELECT Name FROM BudgetSystems")), QStringLiteral("Home"));
    EXPECT_EQ(nextRun.StoreQueryValue(QStringLiteral("SELECT count(*) FROM BudgetSystems")), QStringLiteral("1"));
    EXPECT_EQ(messages.Shown().size(), 1u);
}

// An empty file that cannot take the schema is told as not created, and the first-run question is not
// asked: a setup wizard could write nothing into a file without tables.
TEST_F(DataStoreTest, AFileThatCannotTakeTheSchemaIsToldAndOffersNoWizard)
{
    WriteAll(DataFile(), QByteArray());
    UnwritableFile unwritable(DataFile());
    if (!unwritable.Holds())
        GTEST_SKIP() << "this machine cannot make a file unwritable for the test's user";
    int wizardRuns = 0;
    store.SetSetupWizardHook([&](TSQLiteDatabase&) { ++wizardRuns; });
    ScriptedMessages messages;
    messages.ExpectContaining(QStringLiteral("could not be created"))
        .Expect(QStringLiteral("The change could not be saved: the data file could not be opened."));
    EXPECT_EQ(store.StoreQueryValue(QStringLiteral("SELECT 42")), QString());
    EXPECT_FALSE(store.Change([](TStoreChange& change) { change.Exec(QStringLiteral("SELECT 1")); }));
    EXPECT_FALSE(store.Data().IsOpen());
    EXPECT_EQ(wizardRuns, 0);
    EXPECT_EQ(store.Generation(), 0u);
}

// The column-name hazard of double-quoted text and the typed columns, on a real data file.
class StoredValuesTest : public DataStoreTest
{
protected:
    void SetUp() override
    {
        ScriptedMessages messages;
        messages.Expect(kFirstRun, MsgAnswer::No);
        store.StoreExec(QStringLiteral("INSERT INTO BudgetSystems (Name) VALUES ('Home')"));
    }
};

TEST_F(StoredValuesTest, NamesThatSpellColumnsMatchOnlyThemselves)
{
    const QStringList names = {QStringLiteral("Name"), QStringLiteral("Deleted"), QStringLiteral("Amount"),
                               QStringLiteral("Joe's \"Fund\""), QStringLiteral("Food")};
    for (const QString& name : names)
        store.StoreExec(
            QStringLiteral("INSERT INTO BudgetCategories (SystemID, Name) VALUES (1, %1)").arg(SqlCleanText(name)));
    for (const QString& name : names) {
        const QString where = QStringLiteral(" FROM BudgetCategories WHERE Name = %1").arg(SqlCleanText(name));
        EXPECT_EQ(store.StoreQueryValue(QStringLiteral("SELECT count(*)") + where), QStringLiteral("1"))
            << name.toStdString();
        EXPECT_EQ(store.StoreQueryValue(QStringLiteral("SELECT Name") + where), CleanText(name));
    }
    EXPECT_EQ(CleanText(names[3]), QStringLiteral("Joe's 'Fund'"));
}

TEST_F(StoredValuesTest, QuotedNumbersStayNumbers)
{
    // Statements replayed from the undo journal write numbers in quotes.
    store.StoreExec(QStringLiteral(
        "BEGIN;"
        "INSERT INTO BudgetRules (SystemID, FromBudgetCat, IntoBudgetCat, Priority, Value) VALUES ('1', '0', '1', "
        "'10', '500');"
        "INSERT INTO BudgetRules (SystemID, FromBudgetCat, IntoBudgetCat, Priority, Value) VALUES (\"1\", 0, 1, \"9\", "
        "100);"
        "INSERT INTO BudgetRules (SystemID, FromBudgetCat, IntoBudgetCat, Priority, Value) VALUES (1, 0, 1, 100, 20);"
        "COMMIT"));
    EXPECT_EQ(store.StoreQueryValue(QStringLiteral("SELECT count(*) FROM BudgetRules WHERE SystemID = 1")),
              QStringLiteral("3"));
    store.OpenStore();
    store.Data().ExecSQL(QStringLiteral("SELECT Priority FROM BudgetRules ORDER BY Priority"));
    store.Data().Close();
    ASSERT_EQ(store.Data().RowCount(0), 3);
    EXPECT_EQ(store.Data().Cell(0, 0), QStringLiteral("9"));
    EXPECT_EQ(store.Data().Cell(0, 1), QStringLiteral("10"));
    EXPECT_EQ(store.Data().Cell(0, 2), QStringLiteral("100"));
    EXPECT_EQ(store.StoreQueryValue(QStringLiteral("SELECT sum(Value) FROM BudgetRules")), QStringLiteral("620"));
    // A flag keeps its text and the untyped PercentOf its default.
    EXPECT_EQ(store.StoreQueryValue(QStringLiteral("SELECT count(*) FROM BudgetRules WHERE IsPercent = \"t\" "
                                                   "AND PercentOf = 'Net Deposit'")),
              QStringLiteral("3"));
}

TEST_F(StoredValuesTest, StoreOperationsCloseTheFileEvenOnFailure)
{
    store.StoreExec(QStringLiteral("INSERT INTO Missing VALUES (1)"));
    EXPECT_FALSE(store.Data().IsOpen());
    EXPECT_EQ(store.StoreQueryValue(QStringLiteral("SELECT Name FROM Missing")), QString());
    EXPECT_FALSE(store.Data().IsOpen());
}

} // namespace
