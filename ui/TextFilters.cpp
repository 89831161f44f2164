#include "ui/TextFilters.h"

#include <QKeyEvent>
#include <QLineEdit>

namespace ui {

bool NoSqlWildcards(QChar c)
{
    return c != QLatin1Char('"') && c != QLatin1Char('%') && c != QLatin1Char('_');
}

QString WithoutSqlWildcards(const QString& text)
{
    QString kept = text;
    kept.removeIf([](QChar c) { return !NoSqlWildcards(c); });
    return kept;
}

bool LetterOrDigit(QChar c)
{
    return (c >= QLatin1Char('A') && c <= QLatin1Char('Z')) || (c >= QLatin1Char('a') && c <= QLatin1Char('z')) ||
           (c >= QLatin1Char('0') && c <= QLatin1Char('9'));
}

TCharacterFilter::TCharacterFilter(QLineEdit* field, Allowed allowed) : QValidator(field), m_allowed(allowed)
{
    field->setValidator(this);
    field->installEventFilter(this);
}

QValidator::State TCharacterFilter::validate(QString& input, int& pos) const
{
    const QString before = input.left(pos);
    QString keptBefore = before;
    keptBefore.removeIf([this](QChar c) { return !m_allowed(c); });
    QString keptAfter = input.mid(pos);
    keptAfter.removeIf([this](QChar c) { return !m_allowed(c); });
    input = keptBefore + keptAfter;
    pos = int(keptBefore.size());
    return Acceptable;
}

bool TCharacterFilter::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress) {
        // Editing keys (Backspace, Enter, the shortcuts) bring control characters or none, and pass.
        for (QChar c : static_cast<QKeyEvent*>(event)->text())
            if (c.isPrint() && !m_allowed(c))
                return true;
    }
    return QValidator::eventFilter(watched, event);
}

} // namespace ui
