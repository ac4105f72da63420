/* The simulator's one-shot faults, used up by the request they apply to. */
#include "tools/board-sim/faults.h"

#include <stdlib.h>

namespace {

struct FaultName {
    const char* name;
    Fault fault;
    bool counted;  // takes "=N"
    bool lasting;  // stays until cleared
};

const FaultName kNames[] = {
    {"bad-first", kBadFirst, true, false},  {"bad-final", kBadFinal, false, false},
    {"bad-checksum", kBadChecksum, false, false}, {"silent", kSilent, false, false},
    {"close-mid-reply", kCloseMidReply, false, false}, {"trickle", kTrickle, false, false},
    {"garbage", kGarbage, false, false}, {"alter-write", kAlterWrite, false, false},
    {"hang", kHang, false, true},
};

/* Whether `fault` stays until cleared, as the table says. */
bool Lasting(Fault fault) {
    for (const FaultName& entry : kNames)
        if (entry.fault == fault) return entry.lasting;
    return false;
}

}  // namespace

Faults::Faults() : m_pending() {}

bool Faults::Add(const std::string& fault) {
    size_t equals = fault.find('=');
    std::string name = fault.substr(0, equals);
    for (const FaultName& entry : kNames) {
        if (name != entry.name) continue;
        long count = 1;
        if (equals != std::string::npos) {
            if (!entry.counted) return false;
            const char* text = fault.c_str() + equals + 1;
            char* end = nullptr;
            count = strtol(text, &end, 10);
            if (*text == '\0' || *end != '\0' || count < 1 || count > 1000) return false;
        }
        m_pending[entry.fault] += static_cast<int>(count);
        return true;
    }
    return false;
}

bool Faults::Take(Fault fault) {
    if (m_pending[fault] == 0) return false;
    if (!Lasting(fault)) --m_pending[fault];
    return true;
}
