/* The per-thread record of the last call's failure and notes. */
#include "base/call_report.h"

#include <stdarg.h>
#include <stdio.h>

#include <exception>

namespace {

/* Trivially constructible and destructible: a thread's record costs no
 * constructor, no allocation and no code at the thread's exit. */
struct Record {
    char failure[kReportFailureBytes];
    char notes[kReportNotes][kReportNoteBytes];
    size_t noteCount;
    bool failed;
};

thread_local Record tRecord;

bool ContinuesCharacter(char byte) { return (static_cast<unsigned char>(byte) & 0xC0) == 0x80; }

/* The bytes of the UTF-8 character that `lead` begins. */
size_t CharacterBytes(char lead) {
    const unsigned char byte = static_cast<unsigned char>(lead);
    if (byte >= 0xF0) return 4;
    if (byte >= 0xE0) return 3;
    if (byte >= 0xC0) return 2;
    return 1;
}

/* vsnprintf into `out`; where the text did not fit, a character cut at the
 * end is left out whole: a reason is handed to Java as UTF-8. */
void Compose(char* out, size_t size, const char* format, va_list args) {
    const int wanted = vsnprintf(out, size, format, args);
    if (wanted < 0) {
        out[0] = '\0';
        return;
    }
    const size_t kept = static_cast<size_t>(wanted) < size ? static_cast<size_t>(wanted) : size - 1;
    if (kept == static_cast<size_t>(wanted) || kept == 0) return;
    size_t last = kept - 1;
    while (last > 0 && ContinuesCharacter(out[last])) --last;
    if (last + CharacterBytes(out[last]) > kept) out[last] = '\0';
}

}  // namespace

void ReportStart() {
    tRecord.failed = false;
    tRecord.noteCount = 0;
}

void ReportFailure(const char* format, ...) {
    Record& record = tRecord;
    if (record.failed) return;
    va_list args;
    va_start(args, format);
    Compose(record.failure, sizeof record.failure, format, args);
    va_end(args);
    record.failed = true;
}

void ReportNote(const char* format, ...) {
    Record& record = tRecord;
    if (record.noteCount == kReportNotes) return;
    va_list args;
    va_start(args, format);
    Compose(record.notes[record.noteCount], kReportNoteBytes, format, args);
    va_end(args);
    ++record.noteCount;
}

const char* ReportedFailure() { return tRecord.failed ? tRecord.failure : nullptr; }

size_t ReportedNoteCount() { return tRecord.noteCount; }

const char* ReportedNote(size_t index) {
    return index < tRecord.noteCount ? tRecord.notes[index] : nullptr;
}

ReportedCall::ReportedCall() : m_uncaught(std::uncaught_exceptions()) { ReportStart(); }

ReportedCall::~ReportedCall() {
    if (std::uncaught_exceptions() > m_uncaught)
        ReportFailure("the library ran out of memory during the call");
}
