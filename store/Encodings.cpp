#include "store/Encodings.h"

#include <limits>

namespace {

// The blanks and control characters that are trimmed off typed numbers.
bool IsTrimmed(QChar c)
{
    return c.unicode() <= 0x20;
}

QString TrimBlanks(const QString& s)
{
    qsizetype begin = 0;
    qsizetype end = s.size();
    while (begin < end && IsTrimmed(s[begin]))
        ++begin;
    while (end > begin && IsTrimmed(s[end - 1]))
        --end;
    return s.mid(begin, end - begin);
}

bool IsDigit(QChar c)
{
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

// The general number syntax: blanks around, optional sign, digits with "." as the decimal point (at least
// one digit), optional exponent with optional sign and at least one digit.
bool IsFloatText(const QString& s0)
{
    const QString s = TrimBlanks(s0);
    qsizetype i = 0;
    const qsizetype n = s.size();
    if (i < n && (s[i] == QLatin1Char('+') || s[i] == QLatin1Char('-')))
        ++i;
    int digits = 0;
    while (i < n && IsDigit(s[i])) {
        ++i;
        ++digits;
    }
    if (i < n && s[i] == QLatin1Char('.')) {
        ++i;
        while (i < n && IsDigit(s[i])) {
            ++i;
            ++digits;
        }
    }
    if (digits == 0)
        return false;
    if (i < n && (s[i] == QLatin1Char('e') || s[i] == QLatin1Char('E'))) {
        ++i;
        if (i < n && (s[i] == QLatin1Char('+') || s[i] == QLatin1Char('-')))
            ++i;
        int exponentDigits = 0;
        while (i < n && IsDigit(s[i])) {
            ++i;
            ++exponentDigits;
        }
        if (exponentDigits == 0)
            return false;
    }
    return i == n;
}

} // namespace

EConvertError::EConvertError(const QString& message)
    : std::runtime_error(message.toStdString()), m_message(message)
{
}

EConvertError EConvertError::InvalidFloat(const QString& text)
{
    return EConvertError(QStringLiteral("'%1' is not a valid floating point value").arg(text));
}

EConvertError EConvertError::InvalidInteger(const QString& text)
{
    return EConvertError(QStringLiteral("'%1' is not a valid integer value").arg(text));
}

bool FixDecimalPlaces(QString& s, qsizetype start, int places)
{
    int decimals = -1;
    for (qsizetype i = start; i < s.size(); ++i) {
        const QChar c = s[i];
        if (!IsDigit(c) && c != QLatin1Char('.'))
            return false;
        if (decimals >= 0)
            ++decimals;
        if (c == QLatin1Char('.')) {
            // A second point counts as a decimal digit "0": 1.2.3 reads as 1.20.
            if (decimals < 0)
                decimals = 0;
            else
                s[i] = QLatin1Char('0');
        }
        // Further decimals are cut, never rounded.
        if (decimals == places) {
            s.truncate(i + 1);
            break;
        }
    }
    if (decimals < 0) {
        if (places > 0)
            s.append(QLatin1Char('.'));
        decimals = 0;
    }
    if (places == 0 && s.endsWith(QLatin1Char('.')))
        s.chop(1);
    while (decimals < places) {
        s.append(QLatin1Char('0'));
        ++decimals;
    }
    return true;
}

QString NormalizeMoneyText(const QString& s0, const QString& defaultText)
{
    QString s = TrimBlanks(s0);
    if (s.isEmpty())
        return defaultText;
    if (s.startsWith(QLatin1Char('.')))
        s.prepend(QLatin1Char('0'));
    const bool negative = s.startsWith(QLatin1Char('-'));
    const qsizetype start = negative ? 1 : 0;
    if (start >= s.size())
        return defaultText;
    if (s.startsWith(QLatin1String("-."))) {
        if (s.size() == 2)
            return defaultText;
        s = QLatin1String("-0") + s.mid(1);
    }

    if (!FixDecimalPlaces(s, start, 2))
        return defaultText;

    if (negative) {
        while (s.size() > 2 && s[1] == QLatin1Char('0') && s[2] != QLatin1Char('.'))
            s.remove(1, 1);
    } else {
        while (s.size() > 1 && s[0] == QLatin1Char('0') && s[1] != QLatin1Char('.'))
            s.remove(0, 1);
    }
    return s;
}

QString FormatMoneyText(const QString& s0)
{
    const QString r = NormalizeMoneyText(s0, QStringLiteral("0.00"));
    if (r == QLatin1String("0.00") && !IsFloatText(s0))
        throw EConvertError::InvalidFloat(s0);
    return r;
}

qint32 TextToInt(const QString& text)
{
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n && IsTrimmed(text[i]))
        ++i;
    bool negative = false;
    if (i < n && (text[i] == QLatin1Char('+') || text[i] == QLatin1Char('-'))) {
        negative = text[i] == QLatin1Char('-');
        ++i;
    }
    if (i >= n)
        throw EConvertError::InvalidInteger(text);
    qint64 value = 0;
    for (; i < n; ++i) {
        if (!IsDigit(text[i]))
            throw EConvertError::InvalidInteger(text);
        value = value * 10 + (text[i].unicode() - '0');
        if (value > qint64(std::numeric_limits<qint32>::max()) + 1)
            throw EConvertError::InvalidInteger(text);
    }
    if (negative)
        value = -value;
    if (value > std::numeric_limits<qint32>::max() || value < std::numeric_limits<qint32>::min())
        throw EConvertError::InvalidInteger(text);
    return static_cast<qint32>(value);
}

qint32 MoneyTextToHundredths(const QString& s0)
{
    QString r = FormatMoneyText(s0);
    r.remove(r.size() - 3, 1);
    return TextToInt(r);
}

QString MoneyTextToStored(const QString& s0)
{
    return QString::number(MoneyTextToHundredths(s0));
}

QString HundredthsToMoneyText(qint32 hundredths)
{
    // Widened first: the negation of the smallest 32-bit value does not fit in 32 bits.
    const qint64 n = hundredths;
    QString t = n < 0 ? QLatin1String("-000") + QString::number(-n) : QLatin1String("000") + QString::number(n);
    t.insert(t.size() - 2, QLatin1Char('.'));
    return FormatMoneyText(t);
}

QString StoredToMoneyText(const QString& stored)
{
    return HundredthsToMoneyText(TextToInt(stored));
}

QString StoredSumToMoneyText(const QString& stored)
{
    if (stored.isEmpty())
        return QStringLiteral("0.00");
    bool ok = false;
    const qint64 n = stored.toLongLong(&ok);
    if (!ok)
        throw EConvertError::InvalidInteger(stored);
    // Unsigned, so that the magnitude of the smallest 64-bit value fits too.
    const quint64 magnitude = n < 0 ? 0 - quint64(n) : quint64(n);
    const QString text = QStringLiteral("%1.%2").arg(magnitude / 100).arg(magnitude % 100, 2, 10, QLatin1Char('0'));
    return n < 0 ? QLatin1Char('-') + text : text;
}

QString CleanText(const QString& text)
{
    QString result = text;
    for (QChar& c : result) {
        if (c == QLatin1Char('%') || c == QLatin1Char('_'))
            c = QLatin1Char(' ');
        else if (c == QLatin1Char('"'))
            c = QLatin1Char('\'');
    }
    return result;
}

QString SqlText(const QString& text)
{
    QString result;
    result.reserve(text.size() + 2);
    result.append(QLatin1Char('\''));
    for (const QChar c : text) {
        // The engine would end the statement text at a NUL character.
        if (c.isNull())
            continue;
        if (c == QLatin1Char('\''))
            result.append(QLatin1Char('\''));
        result.append(c);
    }
    result.append(QLatin1Char('\''));
    return result;
}

QString SqlCleanText(const QString& text)
{
    return SqlText(CleanText(text));
}

namespace {
const QDate kDayZero(1899, 12, 30);
}

qint32 DateToDayNumber(const QDate& date)
{
    return static_cast<qint32>(kDayZero.daysTo(date));
}

QDate DayNumberToDate(qint32 dayNumber)
{
    return kDayZero.addDays(dayNumber);
}

QString DayNumberText(const QDate& date)
{
    return QString::number(DateToDayNumber(date));
}

QString FlagSql(bool value)
{
    return value ? QStringLiteral("\"t\"") : QStringLiteral("\"f\"");
}

bool FlagValue(const QString& stored)
{
    return stored == QLatin1String("t");
}
