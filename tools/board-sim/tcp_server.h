/* The board's TCP side on 127.0.0.1: every connection carries one request,
 * its frame sent again after a wrong first respond. Answers: 0xD0, for a
 * read the reply data and its checksum, then 0xE0. */
#ifndef BOARD_SIM_TCP_SERVER_H
#define BOARD_SIM_TCP_SERVER_H

#include <poll.h>
#include <stdint.h>

#include <vector>

#include "tools/board-sim/board.h"
#include "tools/board-sim/faults.h"
#include "tools/board-sim/recorder.h"
#include "tools/board-sim/wire.h"

class TcpServer {
public:
    TcpServer(Board& board, Faults& faults, Recorder& recorder)
        : m_board(board), m_faults(faults), m_recorder(recorder), m_port(0) {}

    /* Listens on `port`, or with 0 on a free port below 32768: the library
     * refuses ports that are negative as signed 16-bit values. */
    bool Listen(int port);
    int Port() const { return m_port; }

    void AddPollFds(std::vector<struct pollfd>* fds) const;
    /* Serves `fd` if it is one of ours; false if it is not. */
    bool OnEvent(int fd);

private:
    struct Connection {
        Descriptor fd;
        std::vector<uint8_t> input;
    };

    bool Bind(int fd, int port);
    void Accept();
    bool Receive(Connection* connection);
    bool ServeFrames(Connection* connection);
    bool Answer(int fd, const Header& header, const uint8_t* data);

    Board& m_board;
    Faults& m_faults;
    Recorder& m_recorder;
    Descriptor m_listener;
    int m_port;
    std::vector<Connection> m_connections;
};

#endif
