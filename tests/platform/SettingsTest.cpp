#include "platform/Settings.h"

#include "tests/support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <climits>
#include <functional>
#include <gtest/gtest.h>
#include <vector>

using platform::ESettingsError;
using platform::SettingsScope;
using platform::TSettingsKey;

namespace {

const QString kRoot = QStringLiteral("\\Software\\Hollowmere\\Cofferly");
const QString kDisplay = QStringLiteral("\\Software\\Hollowmere\\Cofferly\\Display");

// Both scopes in a fresh folder of their own, in subfolders that do not exist yet, so that creating a key
// also has to create its folder.
class SettingsTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        platform::SetSettingsFiles(UserFile(), MachineFile());
    }
    void TearDown() override { platform::SetSettingsFiles({}, {}); }

    QString UserFile() const { return m_dir.filePath(QStringLiteral("user/Cofferly.ini")); }
    QString MachineFile() const { return m_dir.filePath(QStringLiteral("machine/Cofferly-machine.ini")); }
    QString Path(const QString& name) const { return m_dir.filePath(name); }

    // Points the user scope at a copy of its file. The copy has never been read in this process, so what
    // it shows is what was saved on disk, not what QSettings holds in memory.
    void UseCopyOfUserFile()
    {
        const QString copy = Path(QStringLiteral("copy.ini"));
        ASSERT_TRUE(QFile::copy(UserFile(), copy));
        platform::SetSettingsFiles(copy, MachineFile());
    }

    QTemporaryDir m_dir;
};

// Runs a read or write that must fail, and checks that its message names the value.
void ExpectSettingsError(const std::function<void()>& action, const QString& message)
{
    try {
        action();
        ADD_FAILURE() << "no ESettingsError; expected: " << message.toStdString();
    } catch (const ESettingsError& e) {
        EXPECT_EQ(e.Message(), message);
        EXPECT_EQ(QString::fromStdString(e.what()), message);
    }
}

QString CannotRead(const char* name)
{
    return QStringLiteral("The setting '%1' could not be read.").arg(QLatin1String(name));
}

QString CannotSave(const char* name)
{
    return QStringLiteral("The setting '%1' could not be saved.").arg(QLatin1String(name));
}

TEST_F(SettingsTest, OpenCreatesOnlyWhenAskedAndCreatedKeysPersist)
{
    TSettingsKey key;
    EXPECT_FALSE(key.Open(SettingsScope::User, kDisplay, false));
    EXPECT_FALSE(key.IsOpen());
    EXPECT_FALSE(QFileInfo::exists(UserFile())) << "opening without creating must not write anything";

    ASSERT_TRUE(key.Open(SettingsScope::User, kDisplay, true));
    EXPECT_TRUE(key.IsOpen());
    key.Close();
    EXPECT_FALSE(key.IsOpen());

    // Still there for another object and after the file is read afresh from disk.
    UseCopyOfUserFile();
    TSettingsKey fresh;
    ASSERT_TRUE(fresh.Open(SettingsScope::User, kDisplay, false));
    // As in the registry, a key's parents exist with it; its siblings do not.
    EXPECT_TRUE(TSettingsKey().Open(SettingsScope::User, kRoot, false));
    EXPECT_FALSE(TSettingsKey().Open(SettingsScope::User, kRoot + QStringLiteral("\\Search"), false));

    // Opening again closes first, so a failed open leaves the object closed rather than on the old key.
    EXPECT_FALSE(fresh.Open(SettingsScope::User, kRoot + QStringLiteral("\\Search"), false));
    EXPECT_FALSE(fresh.IsOpen());
}

TEST_F(SettingsTest, ValuesRoundTripThroughTheFileAsPlainText)
{
    const std::vector<int> integers{0, -1, 640, INT_MAX, INT_MIN};
    const std::vector<QString> strings{QString(),
                                       QStringLiteral("a, b"),
                                       QStringLiteral("  padded  "),
                                       QStringLiteral("line\nnext\ttab"),
                                       QStringLiteral("@at"),
                                       QStringLiteral("\"q\" ;c #h =e"),
                                       QString::fromUtf8("Café 😀"),
                                       QStringLiteral("C:\\Data\\budget.cof")};
    struct DateCase
    {
        QDate date;
        const char* text; // day count since 30 December 1899
    };
    const std::vector<DateCase> dates{{QDate(1899, 12, 30), "0"},    {QDate(1899, 12, 29), "-1"},
                                      {QDate(2023, 3, 15), "45000"}, {QDate(2024, 2, 29), "45351"},
                                      {QDate(1, 1, 1), "-693593"},   {QDate(9999, 12, 31), "2958465"}};

    {
        TSettingsKey key;
        ASSERT_TRUE(key.Open(SettingsScope::User, kDisplay, true));
        for (size_t i = 0; i < integers.size(); ++i)
            key.WriteInteger(QStringLiteral("Int%1").arg(i), integers[i]);
        for (size_t i = 0; i < strings.size(); ++i)
            key.WriteString(QStringLiteral("Str%1").arg(i), strings[i]);
        for (size_t i = 0; i < dates.size(); ++i)
            key.WriteDate(QStringLiteral("Date%1").arg(i), dates[i].date);
        key.WriteBool(QStringLiteral("On"), true);
        key.WriteBool(QStringLiteral("Off"), false);
    }

    UseCopyOfUserFile();
    TSettingsKey key;
    ASSERT_TRUE(key.Open(SettingsScope::User, kDisplay, false));
    for (size_t i = 0; i < integers.size(); ++i) {
        const QString name = QStringLiteral("Int%1").arg(i);
        EXPECT_EQ(key.ReadInteger(name), integers[i]) << i;
        EXPECT_EQ(key.ReadString(name), QString::number(integers[i])) << i;
    }
    for (size_t i = 0; i < strings.size(); ++i) {
        const QString name = QStringLiteral("Str%1").arg(i);
        EXPECT_TRUE(key.ValueExists(name)) << i;
        EXPECT_EQ(key.ReadString(name), strings[i]) << i;
    }
    for (size_t i = 0; i < dates.size(); ++i) {
        const QString name = QStringLiteral("Date%1").arg(i);
        EXPECT_EQ(key.ReadDate(name), dates[i].date) << i;
        EXPECT_EQ(key.ReadString(name), QLatin1String(dates[i].text)) << i;
    }
    EXPECT_TRUE(key.ReadBool(QStringLiteral("On")));
    EXPECT_FALSE(key.ReadBool(QStringLiteral("Off")));
    EXPECT_EQ(key.ReadInteger(QStringLiteral("On")), 1);
    EXPECT_EQ(key.ReadInteger(QStringLiteral("Off")), 0);
}

TEST_F(SettingsTest, ReadsAcceptStoredTextOfTheirKind)
{
    struct Case
    {
        const char* text;
        std::function<void(const TSettingsKey&)> check;
    };
    const std::vector<Case> cases{
        {"45000.75", [](const TSettingsKey& k) { EXPECT_EQ(k.ReadDate(QStringLiteral("V")), QDate(2023, 3, 15)); }},
        // The fraction is a time of day; before day zero it still belongs to the whole day it follows.
        {"-1.25", [](const TSettingsKey& k) { EXPECT_EQ(k.ReadDate(QStringLiteral("V")), QDate(1899, 12, 29)); }},
        {"7", [](const TSettingsKey& k) { EXPECT_TRUE(k.ReadBool(QStringLiteral("V"))); }},
        {"-1", [](const TSettingsKey& k) { EXPECT_TRUE(k.ReadBool(QStringLiteral("V"))); }},
    };
    TSettingsKey key;
    ASSERT_TRUE(key.Open(SettingsScope::User, kDisplay, true));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        key.WriteString(QStringLiteral("V"), QLatin1String(c.text));
        c.check(key);
    }
}

TEST_F(SettingsTest, MissingOrMisfitValuesRaiseErrorsNamingThem)
{
    using Reader = std::function<void(const TSettingsKey&, const QString&)>;
    const Reader readInteger = [](const TSettingsKey& k, const QString& n) { k.ReadInteger(n); };
    const Reader readBool = [](const TSettingsKey& k, const QString& n) { k.ReadBool(n); };
    const Reader readString = [](const TSettingsKey& k, const QString& n) { k.ReadString(n); };
    const Reader readDate = [](const TSettingsKey& k, const QString& n) { k.ReadDate(n); };
    struct Case
    {
        const char* text; // nullptr: the value is missing
        Reader read;
    };
    const std::vector<Case> cases{
        {nullptr, readInteger},   {nullptr, readBool}, {nullptr, readString}, {nullptr, readDate},
        {"wide", readInteger},    {"", readInteger},   {"1.5", readInteger},  {"4294967296", readInteger},
        {"0x10", readInteger},    {"true", readBool},  {"wide", readDate},    {"", readDate},
        {"nan", readDate},        {"inf", readDate},   {"1e300", readDate},   {"2958466", readDate},
        {"2023-03-15", readDate},
    };
    TSettingsKey key;
    ASSERT_TRUE(key.Open(SettingsScope::User, kDisplay, true));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text ? c.text : "(missing)");
        if (c.text)
            key.WriteString(QStringLiteral("Width"), QLatin1String(c.text));
        else
            ASSERT_FALSE(key.ValueExists(QStringLiteral("Width")));
        ExpectSettingsError([&] { c.read(key, QStringLiteral("Width")); }, CannotRead("Width"));
    }

    // A closed key neither reads nor writes.
    TSettingsKey closed;
    EXPECT_FALSE(closed.ValueExists(QStringLiteral("Width")));
    ExpectSettingsError([&] { closed.ReadString(QStringLiteral("Width")); }, CannotRead("Width"));
    ExpectSettingsError([&] { closed.WriteInteger(QStringLiteral("Width"), 1); }, CannotSave("Width"));
    ExpectSettingsError([&] { closed.WriteDate(QStringLiteral("Width"), QDate(2023, 3, 15)); }, CannotSave("Width"));
    // Nor is every date a day count.
    ExpectSettingsError([&] { key.WriteDate(QStringLiteral("Day"), QDate()); }, CannotSave("Day"));
    ExpectSettingsError([&] { key.WriteDate(QStringLiteral("Day"), QDate(10000, 1, 1)); }, CannotSave("Day"));
}

TEST_F(SettingsTest, ScopesAreSeparateFiles)
{
    TSettingsKey user;
    ASSERT_TRUE(user.Open(SettingsScope::User, kRoot, true));
    user.WriteInteger(QStringLiteral("Width"), 1);
    EXPECT_FALSE(TSettingsKey().Open(SettingsScope::Machine, kRoot, false));

    TSettingsKey machine;
    ASSERT_TRUE(machine.Open(SettingsScope::Machine, kRoot, true));
    machine.WriteInteger(QStringLiteral("Width"), 2);
    EXPECT_EQ(user.ReadInteger(QStringLiteral("Width")), 1);
    EXPECT_EQ(machine.ReadInteger(QStringLiteral("Width")), 2);
    EXPECT_TRUE(QFileInfo::exists(UserFile()));
    EXPECT_TRUE(QFileInfo::exists(MachineFile()));
}

TEST_F(SettingsTest, SettingsFilesFollowOverridesAndDefaults)
{
    EXPECT_EQ(platform::UserSettingsFile(), UserFile());
    EXPECT_EQ(platform::MachineSettingsFile(), MachineFile());

    platform::SetSettingsFiles({}, {});
    testing_support::TempProgramDir programDir;
    EXPECT_EQ(platform::UserSettingsFile(), QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
                                                QStringLiteral("/Hollowmere/Cofferly.ini"));
    // The machine file goes where the program directory is at the time, not where it was first asked for.
    EXPECT_EQ(platform::MachineSettingsFile(), programDir.File(QStringLiteral("Cofferly-machine.ini")));
}

TEST_F(SettingsTest, UnwritableLocationsCannotBeCreatedOrWritten)
{
    testing_support::WriteAll(Path(QStringLiteral("blocker")), "not a folder");
    ASSERT_TRUE(QDir().mkpath(Path(QStringLiteral("folder.ini"))));
    const QString readOnly = Path(QStringLiteral("readonly"));
    ASSERT_TRUE(QDir().mkpath(readOnly));
    ASSERT_TRUE(QFile::setPermissions(readOnly, QFile::ReadOwner | QFile::ExeOwner));
    const bool canTestReadOnly = !QFileInfo(readOnly).isWritable(); // not as root

    struct Case
    {
        const char* what;
        QString file;
    };
    std::vector<Case> cases{
        {"regular file where the folder should be", Path(QStringLiteral("blocker/Cofferly.ini"))},
        {"regular file deeper down", Path(QStringLiteral("blocker/sub/Cofferly.ini"))},
        {"folder where the file should be", Path(QStringLiteral("folder.ini"))},
    };
    if (canTestReadOnly)
        cases.push_back({"read-only folder", readOnly + QStringLiteral("/Cofferly.ini")});
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        platform::SetSettingsFiles(c.file, MachineFile());
        TSettingsKey key;
        EXPECT_FALSE(key.Open(SettingsScope::User, kDisplay, true));
        EXPECT_FALSE(key.IsOpen());
    }

    // A key whose folder goes away while it is open fails to save, and keeps nothing it could not save.
    const QString folder = Path(QStringLiteral("vanishing"));
    platform::SetSettingsFiles(folder + QStringLiteral("/Cofferly.ini"), MachineFile());
    TSettingsKey key;
    ASSERT_TRUE(key.Open(SettingsScope::User, kDisplay, true));
    key.WriteInteger(QStringLiteral("Height"), 480);
    ASSERT_TRUE(QDir(folder).removeRecursively());
    testing_support::WriteAll(folder, "not a folder");
    ExpectSettingsError([&] { key.WriteInteger(QStringLiteral("Width"), 640); }, CannotSave("Width"));
    EXPECT_FALSE(key.ValueExists(QStringLiteral("Width")));

    QFile::setPermissions(readOnly, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

TEST_F(SettingsTest, KeysKeepTheirValuesApartInTheFileLayout)
{
    TSettingsKey root;
    ASSERT_TRUE(root.Open(SettingsScope::User, kRoot, true));
    root.WriteInteger(QStringLiteral("Backup"), 45000);
    TSettingsKey display;
    ASSERT_TRUE(display.Open(SettingsScope::User, kDisplay, true));
    display.WriteInteger(QStringLiteral("Width"), 640);
    TSettingsKey other;
    ASSERT_TRUE(other.Open(SettingsScope::User, QStringLiteral("\\Software\\Other"), true));
    other.WriteString(QStringLiteral("Name"), QStringLiteral("x"));

    EXPECT_FALSE(root.ValueExists(QStringLiteral("Width")));
    EXPECT_FALSE(display.ValueExists(QStringLiteral("Backup")));
    EXPECT_FALSE(other.ValueExists(QStringLiteral("Backup")));
    // A slash in a value name is no way into a subkey.
    EXPECT_FALSE(root.ValueExists(QStringLiteral("Display/Width")));
    ExpectSettingsError([&] { root.ReadInteger(QStringLiteral("Display/Width")); }, CannotRead("Display/Width"));
    ExpectSettingsError([&] { root.WriteInteger(QStringLiteral("Display/Width"), 1); }, CannotSave("Display/Width"));
    EXPECT_EQ(display.ReadInteger(QStringLiteral("Width")), 640);

    // The program's own values are the file's General section and its subkeys the other sections.
    QSettings file(UserFile(), QSettings::IniFormat);
    EXPECT_EQ(file.value(QStringLiteral("Backup")).toString(), QStringLiteral("45000"));
    EXPECT_EQ(file.value(QStringLiteral("Display/Width")).toString(), QStringLiteral("640"));
    EXPECT_EQ(file.value(QStringLiteral("Software/Other/Name")).toString(), QStringLiteral("x"));
    const QByteArray text = testing_support::ReadAll(UserFile());
    EXPECT_TRUE(text.contains("[General]\n")) << text.toStdString();
    EXPECT_TRUE(text.contains("Backup=45000\n")) << text.toStdString();
}

TEST_F(SettingsTest, KeysAndNamesIgnoreCaseButKeepTheirFirstSpelling)
{
    {
        TSettingsKey key;
        ASSERT_TRUE(key.Open(SettingsScope::User, kDisplay, true));
        key.WriteInteger(QStringLiteral("Width"), 640);
    }
    TSettingsKey key;
    ASSERT_TRUE(key.Open(SettingsScope::User, QStringLiteral("\\SOFTWARE\\hollowmere\\COFFERLY\\display"), false));
    EXPECT_EQ(key.ReadInteger(QStringLiteral("WIDTH")), 640);
    key.WriteInteger(QStringLiteral("width"), 800);

    const QByteArray text = testing_support::ReadAll(UserFile());
    EXPECT_TRUE(text.contains("[Display]\nWidth=800\n")) << text.toStdString();
    EXPECT_FALSE(text.contains("display")) << text.toStdString();
}

} // namespace
