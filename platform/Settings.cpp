#include "platform/Settings.h"

#include "platform/ProgramDir.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>
#include <QStringList>
#include <cmath>
#include <memory>

namespace platform {

namespace {

struct FileOverrides
{
    QString user;
    QString machine;
};

FileOverrides& Overrides()
{
    static FileOverrides files;
    return files;
}

// The program's own key. Its values live at the root of the file (the INI "General" section) and its
// subkeys are the file's groups, so the file reads the way the settings are named.
const QStringList kProductKey{QStringLiteral("Software"), QStringLiteral("Hollowmere"), QStringLiteral("Cofferly")};

// A value written into every key that is created empty, because an INI file keeps no empty groups and the
// key must still exist afterwards. Its name starts with a control character, which no value name may
// contain, so it can never be mistaken for (or overwritten by) a real value.
const QString kKeyMarker = QStringLiteral("\x01Key");

// The earliest and latest dates the day count stands for: 1 January 0001 and 31 December 9999.
constexpr qint64 kFirstDay = -693593;
constexpr qint64 kLastDay = 2958465;

QDate DayZero()
{
    return QDate(1899, 12, 30);
}

QString ReadError(const QString& name)
{
    return QStringLiteral("The setting '%1' could not be read.").arg(name);
}

QString SaveError(const QString& name)
{
    return QStringLiteral("The setting '%1' could not be saved.").arg(name);
}

// A value name addresses one value of the open key. A slash would reach into a subkey (it is QSettings'
// group separator), and control characters are reserved for the key marker.
bool IsValueName(const QString& name)
{
    if (name.isEmpty())
        return false;
    for (QChar c : name)
        if (c == u'/' || c.unicode() < 0x20 || c.unicode() == 0x7f)
            return false;
    return true;
}

// The groups of the INI file that hold a key, or false for a path that names no key. The program's own
// key is the file's root; any other path keeps all its parts, so "\Software\Other" is the group
// "Software/Other". (That group is also where a subkey "Software\Other" of the program's key would go;
// the program has no such subkey.) The hive's root itself cannot be opened: it would be the program's key.
bool GroupsOf(const QString& keyPath, QStringList& groups)
{
    groups = keyPath.split(u'\\', Qt::SkipEmptyParts);
    if (groups.isEmpty())
        return false;
    for (const QString& part : groups)
        if (part.contains(u'/'))
            return false;
    bool inProduct = groups.size() >= kProductKey.size();
    for (qsizetype i = 0; inProduct && i < kProductKey.size(); ++i)
        inProduct = groups[i].compare(kProductKey[i], Qt::CaseInsensitive) == 0;
    if (inProduct)
        groups.remove(0, kProductKey.size());
    return true;
}

// Finds an existing name the way the registry does, ignoring case, so that the first spelling stays in the
// file. Empty when there is none.
QString MatchIgnoringCase(const QStringList& existing, const QString& name)
{
    if (existing.contains(name))
        return name;
    for (const QString& candidate : existing)
        if (candidate.compare(name, Qt::CaseInsensitive) == 0)
            return candidate;
    return {};
}

QString SettingsFile(SettingsScope scope)
{
    return scope == SettingsScope::User ? UserSettingsFile() : MachineSettingsFile();
}

} // namespace

ESettingsError::ESettingsError(const QString& message) : std::runtime_error(message.toStdString()), m_message(message)
{
}

struct TSettingsKey::Impl
{
    explicit Impl(const QString& file) : settings(file, QSettings::IniFormat) {}

    // The stored name for a value of this key, with its stored spelling; empty when it has none.
    QString StoredName(const QString& name)
    {
        if (!IsValueName(name))
            return {};
        // Another key object, or another instance of the program, may have written since.
        settings.sync();
        return MatchIgnoringCase(settings.childKeys(), name);
    }

    QString Text(const QString& name)
    {
        const QString stored = StoredName(name);
        if (stored.isEmpty())
            throw ESettingsError(ReadError(name));
        const QVariant value = settings.value(stored);
        // A hand-edited file may hold an unquoted comma, which the INI reader takes for a list.
        if (value.typeId() == QMetaType::QStringList)
            return value.toStringList().join(QStringLiteral(", "));
        if (!value.canConvert<QString>())
            throw ESettingsError(ReadError(name));
        return value.toString();
    }

    // Stores one value and writes the file at once, as the registry would. The first real value makes the
    // key's marker redundant, so it goes, keeping the file as plain as the user would write it. A failed
    // write must leave no trace: QSettings keeps unsaved values in a cache that every object on the same
    // file reads, so the previous state is put back.
    bool Store(const QString& name, const QString& text)
    {
        if (!settings.isWritable())
            return false;
        const bool existed = settings.contains(name);
        const QVariant previous = settings.value(name);
        const bool dropMarker = name != kKeyMarker && settings.contains(kKeyMarker);
        settings.setValue(name, text);
        if (dropMarker)
            settings.remove(kKeyMarker);
        settings.sync();
        // Only an access error counts: a format error means a damaged file that QSettings has read as
        // far as it could, and the write above has just replaced it with a clean one.
        if (settings.status() != QSettings::AccessError)
            return true;
        if (existed)
            settings.setValue(name, previous);
        else
            settings.remove(name);
        if (dropMarker)
            settings.setValue(kKeyMarker, QString());
        return false;
    }

    void Write(const QString& name, const QString& text)
    {
        if (!IsValueName(name))
            throw ESettingsError(SaveError(name));
        QString stored = StoredName(name);
        if (stored.isEmpty())
            stored = name;
        if (!Store(stored, text))
            throw ESettingsError(SaveError(name));
    }

    // A key exists when it holds a value (the marker of an empty created key counts) or a subkey: as in
    // the registry, creating a subkey creates its parents.
    bool KeyExists() const { return !settings.childKeys().isEmpty() || !settings.childGroups().isEmpty(); }

    QSettings settings;
};

TSettingsKey::~TSettingsKey()
{
    Close();
}

bool TSettingsKey::Open(SettingsScope scope, const QString& keyPath, bool create)
{
    Close();
    QStringList groups;
    if (!GroupsOf(keyPath, groups))
        return false;
    const QString file = SettingsFile(scope);
    // QSettings would make a missing folder itself, but only when it first writes; a key that is created
    // must be known to be writable now, so that the caller hears about it from Open.
    if (create && !QDir().mkpath(QFileInfo(file).absolutePath()))
        return false;

    auto impl = std::make_unique<Impl>(file);
    QSettings& settings = impl->settings;
    if (create && (settings.status() == QSettings::AccessError || !settings.isWritable()))
        return false;
    for (const QString& group : groups) {
        const QString existing = MatchIgnoringCase(settings.childGroups(), group);
        settings.beginGroup(existing.isEmpty() ? group : existing);
    }
    if (!impl->KeyExists()) {
        if (!create || !impl->Store(kKeyMarker, QString()))
            return false;
    }
    m_impl = impl.release();
    return true;
}

void TSettingsKey::Close()
{
    delete m_impl;
    m_impl = nullptr;
}

bool TSettingsKey::IsOpen() const
{
    return m_impl != nullptr;
}

bool TSettingsKey::ValueExists(const QString& name) const
{
    return m_impl && !m_impl->StoredName(name).isEmpty();
}

int TSettingsKey::ReadInteger(const QString& name) const
{
    if (!m_impl)
        throw ESettingsError(ReadError(name));
    bool ok = false;
    const int value = m_impl->Text(name).toInt(&ok);
    if (!ok)
        throw ESettingsError(ReadError(name));
    return value;
}

bool TSettingsKey::ReadBool(const QString& name) const
{
    // Stored as 0 or 1, the way a registry flag is; any other integer also counts as true.
    return ReadInteger(name) != 0;
}

QString TSettingsKey::ReadString(const QString& name) const
{
    if (!m_impl)
        throw ESettingsError(ReadError(name));
    return m_impl->Text(name);
}

QDate TSettingsKey::ReadDate(const QString& name) const
{
    if (!m_impl)
        throw ESettingsError(ReadError(name));
    // A day count, possibly with a time of day as its fraction, which a date has no use for. Truncation
    // (not flooring) is right for days before day zero too: -1.25 is a quarter past 29 December 1899.
    bool ok = false;
    const double days = std::trunc(m_impl->Text(name).toDouble(&ok));
    if (!ok || !std::isfinite(days) || days < static_cast<double>(kFirstDay) || days > static_cast<double>(kLastDay))
        throw ESettingsError(ReadError(name));
    return DayZero().addDays(static_cast<qint64>(days));
}

void TSettingsKey::WriteInteger(const QString& name, int value)
{
    if (!m_impl)
        throw ESettingsError(SaveError(name));
    m_impl->Write(name, QString::number(value));
}

void TSettingsKey::WriteBool(const QString& name, bool value)
{
    WriteInteger(name, value ? 1 : 0);
}

void TSettingsKey::WriteString(const QString& name, const QString& value)
{
    if (!m_impl)
        throw ESettingsError(SaveError(name));
    m_impl->Write(name, value);
}

void TSettingsKey::WriteDate(const QString& name, const QDate& value)
{
    if (!m_impl)
        throw ESettingsError(SaveError(name));
    const qint64 days = DayZero().daysTo(value);
    if (!value.isValid() || days < kFirstDay || days > kLastDay)
        throw ESettingsError(SaveError(name));
    // Whole days: the day count is a floating-point number, and an integer is its plainest text.
    m_impl->Write(name, QString::number(days));
}

void SetSettingsFiles(const QString& userFile, const QString& machineFile)
{
    Overrides() = {userFile, machineFile};
}

QString UserSettingsFile()
{
    if (!Overrides().user.isEmpty())
        return Overrides().user;
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/Hollowmere/Cofferly.ini");
}

QString MachineSettingsFile()
{
    if (!Overrides().machine.isEmpty())
        return Overrides().machine;
    // Taken afresh at each use, as the program directory can be pointed elsewhere.
    return ProgramFile(QStringLiteral("Cofferly-machine.ini"));
}

} // namespace platform
