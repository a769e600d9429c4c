#pragma once

#include "app/InputFile.h"

#include <QDir>
#include <QFile>
#include <QString>

#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace quillory::test {

// Paths that name no ordinary file: a folder, the endless character devices (directly and behind
// a symbolic link), a FIFO that nobody writes (opening it for reading the usual way never returns)
// and a link to it.
struct BadInputFile {
    std::string what;
    QString path;
};

inline std::vector<BadInputFile> NotRegularFiles(const QString& folder) {
    QDir().mkpath(folder + "/a-folder.dat");
    const QString fifo = folder + "/fifo.dat";
    ::mkfifo(QFile::encodeName(fifo).constData(), 0600);
    QFile::link("/dev/zero", folder + "/zero-link.dat");
    QFile::link("/dev/urandom", folder + "/urandom-link.dat");
    QFile::link(fifo, folder + "/fifo-link.dat");
    return {
        {"folder", folder + "/a-folder.dat"},
        {"/dev/zero", "/dev/zero"},
        {"/dev/urandom", "/dev/urandom"},
        {"link to /dev/zero", folder + "/zero-link.dat"},
        {"link to /dev/urandom", folder + "/urandom-link.dat"},
        {"fifo", fifo},
        {"link to a fifo", folder + "/fifo-link.dat"},
    };
}

// A sparse file one byte larger than a kind's bound (no disk space used).
inline QString OversizedFile(const QString& folder, InputFileKind kind) {
    const QString path = folder + "/oversized.dat";
    QFile file(path);
    file.open(QIODevice::WriteOnly | QIODevice::Truncate);
    file.resize(InputFileLimit(kind) + 1);
    return path;
}

// Every refused input of a kind: the paths above and an oversized file.
inline std::vector<BadInputFile> RefusedInputFiles(const QString& folder, InputFileKind kind) {
    std::vector<BadInputFile> files = NotRegularFiles(folder);
    files.push_back({"oversized", OversizedFile(folder, kind)});
    return files;
}

} // namespace quillory::test
