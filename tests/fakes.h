// Test doubles for the platform interfaces: prompts that record what was shown and answer as
// told, and file dialogs that return a prepared answer and record what they were asked.
#pragma once

#include "editor/editorlink.h"
#include "platform/filedialogs.h"
#include "platform/prompts.h"

#include <QList>
#include <QString>

#include <functional>
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

// The link side of a transmission: request 7 stays outstanding until the test ends it (from
// `duringWait`, which runs on every round of the editor's wait).
class FakeEditorLink : public EditorLink {
public:
    bool online = true;
    int linkRequest = 0;
    int started = 0;
    int abandoned = 0;
    int refreshed = 0;
    int rounds = 0;
    std::function<void(int)> duringWait;

    bool onLine() const override { return online; }
    void startTransmission() override {
        ++started;
        linkRequest = 7;
    }
    bool transmissionPending() const override { return linkRequest == 7; }
    void abandonTransmission() override {
        ++abandoned;
        linkRequest = 0;
    }
    void processEvents() override {
        ++rounds;
        if (duringWait)
            duringWait(rounds);
        if (rounds > 1000) // a broken test must not hang
            linkRequest = 0;
    }
    void refreshMainDisplay() override { ++refreshed; }
    // The read-back after a transmission: by default the unit gave the program back as held in
    // the ProgramSet (what was sent); a test changes that through `readBack`.
    int readBacks = 0;
    std::function<bool(int)> readBack;
    bool readProgramBack(int program) override {
        ++readBacks;
        return readBack ? readBack(program) : true;
    }
};

} // namespace vanto::test
