#pragma once

#include <QDate>
#include <QString>
#include <stdexcept>

// The conversion error of the program: a text that should have been a number was not. It stops the user
// action in progress; the application's top-level handler shows its message.
class EConvertError : public std::runtime_error
{
public:
    explicit EConvertError(const QString& message);
    QString Message() const { return m_message; }

    static EConvertError InvalidFloat(const QString& text);
    static EConvertError InvalidInteger(const QString& text);

private:
    QString m_message;
};

// Money values are signed 32-bit counts of hundredths in the data file and money texts with exactly two
// decimals on screen ("12.34", "-0.05").

// The decimal part of a number text from start on: digits and points only (false otherwise, s then
// unusable), a second point read as the digit 0, decimals beyond places cut (never rounded), and the point
// and zeros added up to places (no point at all for 0 places). Money texts and the amount fields share it.
bool FixDecimalPlaces(QString& s, qsizetype start, int places);

// The canonical money text of s0, or defaultText when s0 cannot be used. Extra decimals are cut, never
// rounded.
QString NormalizeMoneyText(const QString& s0, const QString& defaultText);
// NormalizeMoneyText with "0.00"; when that gives "0.00", s0 must at least be a number of some form,
// otherwise EConvertError.
QString FormatMoneyText(const QString& s0);
qint32 MoneyTextToHundredths(const QString& s0);
QString MoneyTextToStored(const QString& s0);
QString HundredthsToMoneyText(qint32 hundredths);
// Reads a stored integer text (an Amount cell, a sum) and gives its money text.
QString StoredToMoneyText(const QString& stored);
// The money text of a sum the engine gave over many stored values (a balance over years of allocations),
// which may pass the 32-bit range of one value; the empty text of a sum over no rows reads as 0.
QString StoredSumToMoneyText(const QString& stored);

// Reads a signed 32-bit integer the way the program has always read its numbers: leading blanks and
// a sign allowed, nothing after the digits. Raises EConvertError otherwise.
qint32 TextToInt(const QString& text);

// User text made fit for the data file: "%" and "_" (the LIKE wildcards) become blanks and a double quote
// becomes an apostrophe.
QString CleanText(const QString& text);

// The one way user text enters SQL: a single-quoted literal with every apostrophe doubled. A single-quoted
// literal is always a string to the engine, whatever it spells; a double-quoted word that names a column
// would be read as that column.
QString SqlText(const QString& text);
// CleanText first, then SqlText: the form names, notes and other typed texts take.
QString SqlCleanText(const QString& text);

// Day numbers: whole days since 30 December 1899.
qint32 DateToDayNumber(const QDate& date);
QDate DayNumberToDate(qint32 dayNumber);
QString DayNumberText(const QDate& date);

// Flags are the one-letter texts t and f.
QString FlagSql(bool value);
bool FlagValue(const QString& stored);
