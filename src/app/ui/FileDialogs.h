#pragma once

#include <QString>
#include <QWidget>

#include <functional>

namespace quillory {

// One file dialog as it is asked for; every open and save dialog passes through the helpers
// below, so that a test can answer them instead of a person.
struct FileDialogRequest {
    enum Kind { Open, Save };
    Kind kind = Open;
    QString filter;        // in Qt's form, from FileFilter
    QString defaultSuffix; // added to a typed name without one, e.g. "txt"
    QString directory;     // starting folder or file; empty for the last one used
};

// A filter entry from a description and a pattern: FileFilter("text Files (*.txt)", "*.txt").
// "*.*" stands for every file, with or without an extension.
[[nodiscard]] QString FileFilter(const QString& description, const QString& pattern);

// Returns the chosen path, or an empty string when the operator cancelled.
[[nodiscard]] QString AskOpenFileName(QWidget* parent, const QString& filter,
                                      const QString& defaultSuffix = {}, const QString& directory = {});
// Asks before overwriting an existing file.
[[nodiscard]] QString AskSaveFileName(QWidget* parent, const QString& filter,
                                      const QString& defaultSuffix = {}, const QString& directory = {});

// Test hook: while set, dialogs are answered by hook. Returns the previous hook.
using FileDialogHook = std::function<QString(const FileDialogRequest&)>;
FileDialogHook SetFileDialogHook(FileDialogHook hook);

} // namespace quillory
