#include "store/DataStore.h"

#include "platform/Messages.h"
#include "platform/ProgramDir.h"
#include "store/Schema.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

const char kSqlite3Header[] = "SQLite format 3";
const char kSqlite2Header[] = "** This file contains an SQLite 2";

const char kFirstRunQuestion[] = "This appears to be your first time running Cofferly.\r\n"
                                 "Would you like to run the Setup Wizard to help you get started?";

} // namespace

TDataStore::TDataStore() : m_data(std::make_unique<TSQLiteDatabase>()) {}

TDataStore::~TDataStore() = default;

QString TDataStore::DataFilePath()
{
    return platform::ProgramFile(QString::fromLatin1(schema::kDataFileName));
}

TDataStore::FileState TDataStore::Inspect(const QString& path)
{
    const QFileInfo info(path);
    if (!info.exists() || (info.isFile() && info.size() == 0))
        return FileState::Missing;
    QFile file(path);
    if (!info.isFile() || !file.open(QIODevice::ReadOnly))
        return FileState::NotDatabase;
    const QByteArray head = file.read(64);
    if (head.startsWith(kSqlite2Header))
        return FileState::OldEngine;
    if (head.size() >= 16 && head.startsWith(kSqlite3Header) && head.at(15) == '\0')
        return FileState::Usable;
    return FileState::NotDatabase;
}

void TDataStore::ReportFileProblem(const QString& path, FileState state)
{
    if (m_reported)
        return;
    m_reported = true;
    const QString file = QDir::toNativeSeparators(path);
    QString text;
    switch (state) {
    case FileState::OldEngine:
        text = QStringLiteral("The data file\r\n%1\r\nwas written by an older version of the database engine "
                              "(SQLite 2) and cannot be opened by this version of Cofferly.\r\n"
                              "The file has not been changed.")
                   .arg(file);
        break;
    case FileState::ReadOnly:
        text = QStringLiteral("The data file\r\n%1\r\ncan be read but not written, so no change can be saved.\r\n"
                              "Check that you may write to the file.")
                   .arg(file);
        break;
    case FileState::Missing:
        text = QStringLiteral("The data file\r\n%1\r\ncould not be created.\r\n"
                              "Check that the folder exists and that you may write to it.")
                   .arg(file);
        break;
    default:
        text = QStringLiteral("The data file\r\n%1\r\ncould not be opened: it is damaged or is not a "
                              "Cofferly data file.\r\nThe file has not been changed.")
                   .arg(file);
        break;
    }
    platform::ShowMessage(platform::MsgIcon::Error, text);
}

void TDataStore::OpenStore()
{
    TSQLiteDatabase& db = *m_data;
    if (db.IsOpen())
        return;
    const QString path = DataFilePath();
    try {
        const FileState state = Inspect(path);
        // A file we cannot read is never opened read-write: the engine must not get the chance to
        // write into, or over, the only copy of someone's records.
        if (state == FileState::OldEngine || state == FileState::NotDatabase) {
            ReportFileProblem(path, state);
            return;
        }
        db.SetFileName(path);
        db.Open();
        if (!db.IsOpen()) {
            ReportFileProblem(path, state == FileState::Missing ? FileState::Missing : FileState::NotDatabase);
            return;
        }
        if (state == FileState::Usable) {
            // A damaged file may carry a valid header; the layout test is its first real read.
            if (db.ExecSQL(schema::LayoutTestSql()) != 0 || db.RowCount(0) != 1) {
                db.Close();
                ReportFileProblem(path, FileState::NotDatabase);
                return;
            }
            // The person may look, but must know that nothing will be kept.
            if (db.IsReadOnly()) {
                ReportFileProblem(path, FileState::ReadOnly);
                return;
            }
            if (db.Cell(0, 0) == QLatin1String("0") && m_upgrade)
                m_upgrade(db);
            return;
        }
        schema::CreateDataSchema(db);
        const platform::MsgAnswer answer = platform::ShowMessage(
            platform::MsgIcon::Information, QString::fromLatin1(kFirstRunQuestion), platform::MsgButtons::YesNo);
        if (answer == platform::MsgAnswer::Yes && m_setupWizard)
            m_setupWizard(db);
    } catch (...) {
        db.Close();
    }
}

void TDataStore::StoreExec(const QString& sql)
{
    TCloseOnExit close(*m_data);
    OpenStore();
    m_data->ExecSQL(sql);
}

QString TDataStore::StoreQueryValue(const QString& sql)
{
    QString result;
    TCloseOnExit close(*m_data);
    OpenStore();
    result = m_data->QueryValue(sql);
    return result;
}
