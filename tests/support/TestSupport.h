#pragma once

#include "platform/Messages.h"

#include <QString>
#include <QTemporaryDir>
#include <deque>
#include <gtest/gtest.h>
#include <ostream>
#include <string>

// Failures print texts as texts.
inline void PrintTo(const QString& text, std::ostream* os)
{
    *os << '"' << text.toStdString() << '"';
}

namespace testing_support {

// Scripted answers for the message layer. Each expected box is matched by its exact text (or, with
// Contains, by a part of it) and answered as scripted; any other box fails the test and prints its text.
// The destructor fails the test for every expected box that never came.
class ScriptedMessages
{
public:
    ScriptedMessages();
    ~ScriptedMessages();
    ScriptedMessages(const ScriptedMessages&) = delete;
    ScriptedMessages& operator=(const ScriptedMessages&) = delete;

    ScriptedMessages& Expect(const QString& text, platform::MsgAnswer answer = platform::MsgAnswer::Ok);
    ScriptedMessages& ExpectContaining(const QString& part, platform::MsgAnswer answer = platform::MsgAnswer::Ok);

    // The texts of all boxes shown so far, expected or not.
    const std::vector<QString>& Shown() const { return m_shown; }
    int Pending() const { return static_cast<int>(m_expected.size()); }

private:
    struct Expected
    {
        QString text;
        bool whole;
        platform::MsgAnswer answer;
    };
    platform::MsgAnswer Answer(platform::MsgIcon icon, const QString& text, platform::MsgButtons buttons);

    std::deque<Expected> m_expected;
    std::vector<QString> m_shown;
};

// A fresh, empty program directory for one test; the program directory points back to the real one
// when the test ends.
class TempProgramDir
{
public:
    TempProgramDir();
    ~TempProgramDir();
    QString Path() const { return m_dir.path(); }
    QString File(const QString& name) const { return m_dir.filePath(name); }

private:
    QTemporaryDir m_dir;
};

// A test name for a table row: its index and the letters and digits of its input.
std::string CaseName(size_t index, const char* input);

// The whole content of a file, for byte-for-byte comparisons.
QByteArray ReadAll(const QString& path);
void WriteAll(const QString& path, const QByteArray& bytes);

} // namespace testing_support
