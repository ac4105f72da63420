/* The board's console on a pseudo-terminal. It awaits the start text
 * "kest_pq_tool.sh", then serves requests in two halves (header answered by
 * 0xA0, data part by 0xB0, then a read's reply and its checksum) until the
 * end-of-link frame, which it answers with one byte before awaiting the
 * next start. */
#ifndef BOARD_SIM_SERIAL_SERVER_H
#define BOARD_SIM_SERIAL_SERVER_H

#include <stdint.h>

#include <string>
#include <vector>

#include "tools/board-sim/board.h"
#include "tools/board-sim/faults.h"
#include "tools/board-sim/recorder.h"
#include "tools/board-sim/wire.h"

class SerialServer {
public:
    SerialServer(Board& board, Faults& faults, Recorder& recorder)
        : m_board(board), m_faults(faults), m_recorder(recorder), m_state(kAwaitStart),
          m_header(), m_trickle(false), m_broken(false) {}

    /* Opens the pseudo-terminal. Its master and one descriptor of the slave
     * stay open for the whole run, so that the slave path stays valid and
     * the master never sees a hang-up between two links. */
    bool Open();
    const std::string& SlavePath() const { return m_slavePath; }
    int Fd() const { return m_master.get(); }
    /* False when the pseudo-terminal failed. */
    bool OnReadable();

private:
    enum State { kAwaitStart, kAwaitHeader, kAwaitData };

    bool Step();
    bool TakeStart();
    bool TakeHeader();
    bool TakeData();
    void Drop(size_t n);
    /* Always true, so that a step can end with it; a failed write marks the
     * pseudo-terminal broken. */
    bool Send(const uint8_t* bytes, size_t n, bool trickle);

    Board& m_board;
    Faults& m_faults;
    Recorder& m_recorder;
    Descriptor m_master;
    Descriptor m_slave;
    std::string m_slavePath;
    std::vector<uint8_t> m_input;
    State m_state;
    Header m_header;  // of the request whose data part is awaited
    bool m_trickle;   // of the request in progress
    bool m_broken;
};

#endif
