#pragma once

#include "sim/LanguageParser.h"

#include <QByteArray>

#include <memory>

namespace quillory::sim {

// Turns the bytes of one connection into commands, whatever way they are cut into reads: a command
// may arrive in pieces or several in one read. Commands change the model and may produce replies;
// bytes that are no command (label data, files) are passed over.
class CommandStream {
public:
    explicit CommandStream(int instructionIndex);
    ~CommandStream();
    CommandStream(const CommandStream&) = delete;
    CommandStream& operator=(const CommandStream&) = delete;

    void Feed(QByteArrayView data, PrinterModel& model, Replies& replies);
    // The sender is gone: an unfinished command is taken as it stands.
    void Finish(PrinterModel& model);

private:
    qsizetype Step(QByteArrayView data, bool atEnd, PrinterModel& model, Replies& replies);
    qsizetype Extension(QByteArrayView data, bool atEnd, PrinterModel& model, Replies& replies);
    void RunExtension(QByteArrayView body, PrinterModel& model, Replies& replies);
    qsizetype NetworkFrame(QByteArrayView data, bool atEnd, PrinterModel& model);

    bool m_extended;     // speaks the ~WN commands
    bool m_nulIsCommand; // VKLE: NUL CR LF leaves the automatic mode
    std::unique_ptr<LanguageParser> m_language;
    QByteArray m_pending;
    // A ~WN00@ini,w text is being received into this key (-2: none, -1: an unknown key).
    int m_iniKey = -2;
    // Raw bytes still to pass over (a logo bitmap).
    qsizetype m_skip = 0;
    // A bit-field write ends in CR ',' LF; the comma may arrive later.
    bool m_commaMayFollow = false;
};

} // namespace quillory::sim
