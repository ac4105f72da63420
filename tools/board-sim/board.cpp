/* The simulated board's answers to requests that passed every check. */
#include "tools/board-sim/board.h"

#include <string.h>

namespace {

/* The panel command and its sub-commands, as the library sends them. */
const uint16_t kPanelCmd = 0x8000;
const uint32_t kWriteInfo = 1;
const size_t kSubCmdLen = 4;
const size_t kImageSizes[2] = {324, 364};  // panel info record, R100 and R120

bool IsRead(const uint8_t* data, size_t dataLen) {
    static const uint8_t kReadInfo[kSubCmdLen] = {0, 0, 0, 0};
    return dataLen == kSubCmdLen && memcmp(data, kReadInfo, kSubCmdLen) == 0;
}

/* Index of the generation whose image has `size` bytes, or -1. */
int ImageIndex(size_t size) {
    for (int i = 0; i < 2; ++i)
        if (kImageSizes[i] == size) return i;
    return -1;
}

}  // namespace

Board::Board(bool r120) : m_replySize(kImageSizes[r120 ? 1 : 0]) {
    for (int i = 0; i < 2; ++i) m_images[i].assign(kImageSizes[i], 0);
}

Answer Board::Handle(uint16_t cmd, const uint8_t* data, size_t dataLen) {
    Answer answer;
    answer.read = IsRead(data, dataLen);
    if (answer.read) {
        int image = ImageIndex(m_replySize);
        if (cmd == kPanelCmd && image >= 0)
            answer.reply = m_images[image];
        else
            answer.reply.assign(m_replySize, 0);
        return answer;
    }
    if (cmd != kPanelCmd || dataLen < kSubCmdLen) return answer;
    uint32_t subCmd = static_cast<uint32_t>(data[0] | data[1] << 8 | data[2] << 16) |
                      static_cast<uint32_t>(data[3]) << 24;
    int image = ImageIndex(dataLen - kSubCmdLen);
    if (subCmd == kWriteInfo && image >= 0) {
        m_images[image].assign(data + kSubCmdLen, data + dataLen);
        m_replySize = kImageSizes[image];
    }
    return answer;
}
