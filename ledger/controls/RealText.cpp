#include "ledger/controls/RealText.h"

#include "store/Encodings.h"

namespace real_text {

namespace {

bool IsDigit(QChar c)
{
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

} // namespace

bool KeyPasses(QChar c, const TFormat& format)
{
    if (c == QLatin1Char('-'))
        return format.allowNegatives;
    if (c == QLatin1Char('.'))
        return format.decimalPlaces != 0;
    return c == kBackspace || c == kEnter || IsDigit(c);
}

QString Normalize(const QString& text, const QString& lastAccepted, const TFormat& format)
{
    QString t = text.trimmed();
    if (t.isEmpty())
        return lastAccepted;
    if (t.startsWith(QLatin1Char('.')))
        t.prepend(QLatin1Char('0'));
    qsizetype start = 0;
    if (t.startsWith(QLatin1Char('-'))) {
        if (format.allowNegatives) {
            start = 1;
        } else {
            if (t.size() == 1)
                return lastAccepted;
            // Where negatives are not allowed the sign simply goes. The check for a leading "." has run
            // already, so "-.5" keeps its bare point until the next normalisation.
            t.remove(0, 1);
        }
    }
    if (t.size() <= start)
        return lastAccepted;
    if (t.startsWith(QLatin1String("-."))) {
        if (t.size() == 2)
            return lastAccepted;
        t.replace(0, 1, QStringLiteral("-0"));
    }

    if (!FixDecimalPlaces(t, start, format.decimalPlaces))
        return lastAccepted;
    return t;
}

QString IntegerText(qint64 value, int decimalPlaces)
{
    const bool negative = value < 0;
    QString digits = QString::number(negative ? -value : value);
    if (decimalPlaces > 0) {
        if (digits.size() < decimalPlaces + 1)
            digits = QString(decimalPlaces + 1 - digits.size(), QLatin1Char('0')) + digits;
        digits.insert(digits.size() - decimalPlaces, QLatin1Char('.'));
    }
    return negative ? QLatin1Char('-') + digits : digits;
}

qint32 IntegerValue(const QString& normalized)
{
    QString digits = normalized;
    digits.remove(QLatin1Char('.'));
    return TextToInt(digits);
}

QString RealText(double value)
{
    // QString::number always writes "." and never groups digits, whatever the locale.
    return QString::number(value, 'g', 15);
}

double RealValue(const QString& normalized)
{
    // QString::toDouble reads the C locale's form, whatever the locale of the program.
    bool ok = false;
    const double value = normalized.toDouble(&ok);
    if (!ok)
        throw EConvertError::InvalidFloat(normalized);
    return value;
}

} // namespace real_text
