#include "ledger/controls/RealEdit.h"

#include <QKeyEvent>

TRealEdit::TRealEdit(QWidget* parent) : QLineEdit(QStringLiteral("0.00"), parent) {}

void TRealEdit::SetAllowNegatives(bool allow)
{
    m_format.allowNegatives = allow;
    Normalize();
}

void TRealEdit::SetDecimalPlaces(int places)
{
    if (places < 0)
        return;
    m_format.decimalPlaces = places;
    Normalize();
}

void TRealEdit::Normalize()
{
    const QString normalized = real_text::Normalize(text(), m_lastAccepted, m_format);
    if (normalized != text())
        setText(normalized);
}

double TRealEdit::RealValue()
{
    Normalize();
    return real_text::RealValue(text());
}

void TRealEdit::SetRealValue(double value)
{
    setText(real_text::RealText(value));
    Normalize();
}

qint32 TRealEdit::IntValue()
{
    Normalize();
    return real_text::IntegerValue(text());
}

void TRealEdit::SetIntValue(qint64 value)
{
    setText(real_text::IntegerText(value, m_format.decimalPlaces));
    Normalize();
}

void TRealEdit::keyPressEvent(QKeyEvent* event)
{
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (enter) {
        Normalize();
    } else {
        // Keys that type no character (the arrows, Delete, the shortcuts) keep their usual meaning.
        for (QChar c : event->text()) {
            if (c.isPrint() && !real_text::KeyPasses(c, m_format)) {
                event->accept();
                return;
            }
        }
    }
    QLineEdit::keyPressEvent(event);
}

void TRealEdit::focusInEvent(QFocusEvent* event)
{
    Normalize();
    m_lastAccepted = text();
    QLineEdit::focusInEvent(event);
}

void TRealEdit::focusOutEvent(QFocusEvent* event)
{
    Normalize();
    QLineEdit::focusOutEvent(event);
    if (event->reason() != Qt::PopupFocusReason && event->reason() != Qt::ActiveWindowFocusReason)
        emit Exited();
}
