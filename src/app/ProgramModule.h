#pragma once

#include <QString>

// The program's own modules (quillory-picture.so, quillory-search.so): pieces that need a large
// library the command line should not load at every start, opened the first time they are used.
namespace quillory {

struct ProgramModuleEntry {
    void* entry = nullptr; // the named function, or nothing
    QString problem; // why it could not be had: "NAME is not installed (looked in ...)", the loader's reason
};

// The function entryName of the module file moduleName, looked up beside the executable (the build
// tree) and then in the installed library folder. The module stays loaded for the life of the
// process.
[[nodiscard]] ProgramModuleEntry LoadProgramModule(const QString& moduleName, const char* entryName);

} // namespace quillory
