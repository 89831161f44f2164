#pragma once

#include <QDate>
#include <QString>
#include <stdexcept>

namespace platform {

// The settings store's error: a value that is missing, of the wrong kind, or cannot be written. Like a
// conversion error, it stops the user action in progress and the top-level handler shows its message.
class ESettingsError : public std::runtime_error
{
public:
    explicit ESettingsError(const QString& message);
    QString Message() const { return m_message; }

private:
    QString m_message;
};

enum class SettingsScope
{
    Machine, // shared by every user of the installation
    User,    // the person running the program
};

// One key of the settings store, with the registry's semantics: a key is opened with or without creating
// it, values are typed (integers, booleans, strings, dates) and reading a missing value or one of the wrong
// kind raises ESettingsError. Key paths are written the registry's way, "\Software\Hollowmere\Cofferly\Display".
class TSettingsKey
{
public:
    TSettingsKey() = default;
    ~TSettingsKey();
    TSettingsKey(const TSettingsKey&) = delete;
    TSettingsKey& operator=(const TSettingsKey&) = delete;

    // Returns false, leaving the object closed, when the key does not exist (create false) or cannot be
    // created or written (create true).
    bool Open(SettingsScope scope, const QString& keyPath, bool create);
    void Close();
    bool IsOpen() const;

    bool ValueExists(const QString& name) const;
    int ReadInteger(const QString& name) const;
    bool ReadBool(const QString& name) const;
    QString ReadString(const QString& name) const;
    QDate ReadDate(const QString& name) const;

    void WriteInteger(const QString& name, int value);
    void WriteBool(const QString& name, bool value);
    void WriteString(const QString& name, const QString& value);
    void WriteDate(const QString& name, const QDate& value);

private:
    struct Impl;
    Impl* m_impl = nullptr;
};

// Where the two scopes live. By default the user scope is a file in the user's configuration folder and
// the machine scope a file in the program directory. Tests point both at temporary files; empty paths
// restore the defaults.
void SetSettingsFiles(const QString& userFile, const QString& machineFile);
QString UserSettingsFile();
QString MachineSettingsFile();

} // namespace platform
