// The standard open and save file dialogs, behind an interface so that tests can answer them.
#pragma once

#include <QString>

#include <optional>

namespace vanto {

struct FileDialogRequest {
    QString filterLabel;   // e.g. "(*.prg)"
    QString pattern;       // e.g. "*.prg"
    QString directory;     // starting directory
    QString proposedName;  // e.g. "Prog00.prg"
    QString defaultSuffix; // added to a name typed without extension ("" = none)
    bool confirmOverwrite = false;
    bool mustExist = false;
};

class FileDialogs {
public:
    virtual ~FileDialogs() = default;
    // The chosen path, or nullopt when the operator cancelled.
    virtual std::optional<QString> getSaveFileName(const FileDialogRequest& request) = 0;
    virtual std::optional<QString> getOpenFileName(const FileDialogRequest& request) = 0;
};

} // namespace vanto
