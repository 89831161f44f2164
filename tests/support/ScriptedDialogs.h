#pragma once

#include "platform/ModalForm.h"

#include <QDialog>
#include <deque>
#include <functional>
#include <gtest/gtest.h>

namespace testing_support {

// Scripted modal dialogs: each expected dialog, of its class, is filled in by its step, which gives the
// dialog's result. A dialog that was not expected fails the test and is rejected; the destructor fails the
// test for every expected dialog that never came.
class ScriptedDialogs
{
public:
    ScriptedDialogs()
    {
        platform::SetModalInterceptor([this](QDialog& dialog) {
            if (m_steps.empty()) {
                ADD_FAILURE() << "unexpected dialog " << dialog.objectName().toStdString();
                return int(QDialog::Rejected);
            }
            auto step = std::move(m_steps.front());
            m_steps.pop_front();
            return step(dialog);
        });
    }
    ~ScriptedDialogs()
    {
        platform::SetModalInterceptor({});
        if (!m_steps.empty())
            ADD_FAILURE() << m_steps.size() << " expected dialog(s) never shown";
    }
    ScriptedDialogs(const ScriptedDialogs&) = delete;
    ScriptedDialogs& operator=(const ScriptedDialogs&) = delete;

    // The next dialog must be a Dialog; fill sees it and gives the result.
    template <class Dialog> ScriptedDialogs& Expect(std::function<int(Dialog&)> fill)
    {
        m_steps.push_back([fill](QDialog& dialog) {
            auto* expected = dynamic_cast<Dialog*>(&dialog);
            EXPECT_NE(expected, nullptr) << "another dialog came: " << dialog.objectName().toStdString();
            return expected ? fill(*expected) : int(QDialog::Rejected);
        });
        return *this;
    }
    int Pending() const { return int(m_steps.size()); }

private:
    std::deque<std::function<int(QDialog&)>> m_steps;
};

} // namespace testing_support
