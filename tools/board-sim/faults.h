/* Faults the simulator plays on request: each one is used up by the next
 * request it applies to, after which the board behaves again; but hang,
 * which stays until it is cleared (SIGUSR1). */
#ifndef BOARD_SIM_FAULTS_H
#define BOARD_SIM_FAULTS_H

#include <string>

enum Fault {
    kBadFirst,       // a wrong first respond (TCP instead of 0xD0, serial instead of 0xA0)
    kBadFinal,       // a wrong last respond (TCP instead of 0xE0, serial instead of 0xB0)
    kBadChecksum,    // a read's reply checksum off by one
    kSilent,         // the frame is read and nothing answered
    kCloseMidReply,  // half a read's reply, then the link goes quiet (TCP: closed)
    kTrickle,        // every answer byte on its own, with pauses
    kGarbage,        // a few bytes of garbage before the answer
    kAlterWrite,     // the next panel image written is stored changed
    kHang,           // as silent, for every request until cleared
    kFaultCount
};

class Faults {
public:
    Faults();
    /* "name" or "name=N"; false for an unknown name or a bad count. */
    bool Add(const std::string& fault);
    /* Uses one of `fault` up (a lasting one stays); false when none is
     * pending. */
    bool Take(Fault fault);
    /* Ends a lasting fault. */
    void Clear(Fault fault) { m_pending[fault] = 0; }

private:
    int m_pending[kFaultCount];
};

#endif
