/* What the simulated board does with a request that passed every check.
 *
 * A request frame does not say whether the library awaits a reply: a frame
 * whose data is exactly the 4 bytes 00 00 00 00 (the panel read
 * sub-command) is taken as a read, every other frame as a write. Nor does
 * it say how long the reply is: a read gets as many bytes as the last
 * panel image written to this simulator, or before any write the size of
 * the generation the simulator was started for (324 bytes R100, 364 R120).
 * A panel read (command 0x8000) returns the last image written of that
 * size, zeros before any; reads of other commands return zeros.
 *
 * With the alter-write fault pending, the next panel image written is
 * acknowledged as usual but stored with its first byte one higher (the
 * first letter of the panel's name), as a board with a bad flash would:
 * only reading it back shows the difference. */
#ifndef BOARD_SIM_BOARD_H
#define BOARD_SIM_BOARD_H

#include <stddef.h>
#include <stdint.h>

#include <vector>

#include "tools/board-sim/faults.h"

struct Answer {
    bool read;
    std::vector<uint8_t> reply;  // the reply data of a read
};

class Board {
public:
    Board(bool r120, Faults& faults);
    Answer Handle(uint16_t cmd, const uint8_t* data, size_t dataLen);

private:
    Faults& m_faults;
    size_t m_replySize;
    std::vector<uint8_t> m_images[2];  // R100, R120
};

#endif
