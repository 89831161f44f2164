#pragma once

#include <QString>
#include <QValidator>

class QLineEdit;

namespace ui {

// The characters the data file would not keep as typed (CleanText turns them into others): name, ID and
// note fields refuse them, so that what the person sees is what is stored.
bool NoSqlWildcards(QChar c);
// The text without the characters NoSqlWildcards refuses.
QString WithoutSqlWildcards(const QString& text);
// Password fields take the letters A to Z and a to z and the digits, nothing else.
bool LetterOrDigit(QChar c);

// Keeps refused characters out of a line edit. A refused key is swallowed before the field sees it, so
// the field's own undo stays whole; text that arrives otherwise (paste, drop) loses the refused characters
// and keeps the rest.
class TCharacterFilter : public QValidator
{
public:
    using Allowed = bool (*)(QChar);
    TCharacterFilter(QLineEdit* field, Allowed allowed);

    State validate(QString& input, int& pos) const override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    Allowed m_allowed;
};

} // namespace ui
