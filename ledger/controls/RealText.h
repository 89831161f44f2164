#pragma once

#include <QChar>
#include <QString>

// The text rules of the amount field, free of any widget so that they can be checked on their own. An
// amount is always written with "." as its decimal point, whatever the platform's regional settings say.
namespace real_text {

struct TFormat
{
    bool allowNegatives = false;
    int decimalPlaces = 2;
};

inline constexpr QChar kBackspace = QChar(0x08);
inline constexpr QChar kEnter = QChar(0x0d);

// Whether a typed character reaches the field: digits, "." (unless there are no decimals), "-" (only where
// negatives are allowed), Backspace and Enter.
bool KeyPasses(QChar c, const TFormat& format);

// The field's text in its fixed form: the number with exactly format.decimalPlaces decimals, surplus
// decimals cut off (never rounded). A text that is no number gives lastAccepted instead. Leading zeros
// stay as typed.
QString Normalize(const QString& text, const QString& lastAccepted, const TFormat& format);

// The text for a count of the smallest unit: 1234 with two decimals gives "12.34", 5 gives "0.05".
QString IntegerText(qint64 value, int decimalPlaces);
// The count of the smallest unit a normalised text stands for: its digits without the point. Raises the
// integer conversion error outside the 32-bit range.
qint32 IntegerValue(const QString& normalized);

// The text for a floating-point value: its shortest form with at most 15 significant digits, which may
// carry an exponent (and is then no number to Normalize).
QString RealText(double value);
// The value of a normalised text, "." being the decimal point.
double RealValue(const QString& normalized);

} // namespace real_text
