#pragma once

#include "ledger/controls/RealText.h"

#include <QLineEdit>

// The one-line field every amount of the program is typed into. It lets only the characters of a number
// through, keeps its text in a fixed form with a set number of decimals, and gives the amount as a
// floating-point value or as a count of the smallest unit (hundredths, with two decimals). An entry that
// is no number falls back to what the field held when the person entered it.
class TRealEdit : public QLineEdit
{
    Q_OBJECT
public:
    explicit TRealEdit(QWidget* parent = nullptr);

    bool AllowNegatives() const { return m_format.allowNegatives; }
    void SetAllowNegatives(bool allow);
    int DecimalPlaces() const { return m_format.decimalPlaces; }
    // A negative count is ignored.
    void SetDecimalPlaces(int places);

    // Both readers normalise the text first. IntValue raises the integer conversion error for an amount
    // beyond the 32-bit range.
    double RealValue();
    void SetRealValue(double value);
    qint32 IntValue();
    void SetIntValue(qint64 value);

    // What the field held, normalised, when it last received the focus.
    QString LastAcceptedText() const { return m_lastAccepted; }
    // Brings the text into its fixed form, or back to the last accepted text.
    void Normalize();

signals:
    // The focus went to another control of the same window (not to a menu or another window), after the
    // text was normalised.
    void Exited();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    real_text::TFormat m_format;
    QString m_lastAccepted = QStringLiteral("0.00");
};
