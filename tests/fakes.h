// Test doubles for the platform interfaces: prompts that record what was shown and answer as
// told, and file dialogs that return a prepared answer and record what they were asked.
#pragma once

#include "platform/filedialogs.h"
#include "platform/prompts.h"

#include <QList>
#include <QString>

#include <optional>

namespace vanto::test {

class FakePrompts : public Prompts {
public:
    struct Shown {
        QString text;
        QString title;
        MessageIcon icon;
    };
    int beeps = 0;
    QList<Shown> messages;
    QList<Shown> questions;
    bool answer = true; // the answer to every question

    void beep() override { ++beeps; }
    void message(const QString& text, const QString& title, MessageIcon icon) override {
        messages.append({text, title, icon});
    }
    bool askYesNo(const QString& text, const QString& title, MessageIcon icon) override {
        questions.append({text, title, icon});
        return answer;
    }
};

class FakeFileDialogs : public FileDialogs {
public:
    std::optional<QString> answer; // nullopt = the operator cancels
    QList<FileDialogRequest> saveRequests;
    QList<FileDialogRequest> openRequests;

    std::optional<QString> getSaveFileName(const FileDialogRequest& request) override {
        saveRequests.append(request);
        return answer;
    }
    std::optional<QString> getOpenFileName(const FileDialogRequest& request) override {
        openRequests.append(request);
        return answer;
    }
};

} // namespace vanto::test
