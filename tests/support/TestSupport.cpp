#include "tests/support/TestSupport.h"

#include "platform/ProgramDir.h"

#include <QFile>

namespace testing_support {

ScriptedMessages::ScriptedMessages()
{
    platform::SetMessageHandler(
        [this](platform::MsgIcon icon, const QString& text, platform::MsgButtons buttons) {
            return Answer(icon, text, buttons);
        });
}

ScriptedMessages::~ScriptedMessages()
{
    platform::SetMessageHandler({});
    for (const Expected& e : m_expected)
        ADD_FAILURE() << "expected message box never shown: " << e.text.toStdString();
}

ScriptedMessages& ScriptedMessages::Expect(const QString& text, platform::MsgAnswer answer)
{
    m_expected.push_back({text, true, answer});
    return *this;
}

ScriptedMessages& ScriptedMessages::ExpectContaining(const QString& part, platform::MsgAnswer answer)
{
    m_expected.push_back({part, false, answer});
    return *this;
}

platform::MsgAnswer ScriptedMessages::Answer(platform::MsgIcon, const QString& text, platform::MsgButtons buttons)
{
    m_shown.push_back(text);
    if (!m_expected.empty()) {
        const Expected next = m_expected.front();
        if (next.whole ? text == next.text : text.contains(next.text)) {
            m_expected.pop_front();
            return next.answer;
        }
    }
    ADD_FAILURE() << "unexpected message box: " << text.toStdString();
    // The answer that changes least: No, Cancel, or the only button.
    return buttons == platform::MsgButtons::YesNo      ? platform::MsgAnswer::No
           : buttons == platform::MsgButtons::OkCancel ? platform::MsgAnswer::Cancel
                                                       : platform::MsgAnswer::Ok;
}

TempProgramDir::TempProgramDir()
{
    platform::SetProgramDirOverride(m_dir.path());
}

TempProgramDir::~TempProgramDir()
{
    platform::SetProgramDirOverride(QString());
}

std::string CaseName(size_t index, const char* input)
{
    std::string name = std::to_string(index);
    for (const char* c = input; *c; ++c)
        if ((*c >= 'a' && *c <= 'z') || (*c >= 'A' && *c <= 'Z') || (*c >= '0' && *c <= '9'))
            name += *c;
    return name;
}

QByteArray ReadAll(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

void WriteAll(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate)) << path.toStdString();
    file.write(bytes);
}

} // namespace testing_support
