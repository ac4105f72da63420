/* Small helpers of the board-link tests. */
#ifndef COMM_TEST_SUPPORT_H
#define COMM_TEST_SUPPORT_H

#include <stddef.h>

#include <algorithm>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "include/Communication_c.h"
#include "comm/link_access.h"

const int kPanelCmd = 0x8000;
const int kDefaultMagic = 0x5654534B;  // "KSTV"

/* The link is process-wide: each test ends it and puts the presets back as
 * a fresh process has them, so the tests pass in any order in one process. */
class BoardLinkTest : public ::testing::Test {
protected:
    void TearDown() override {
        EndConnection();
        PresetHeader(kDefaultMagic, 0);
    }
};
const unsigned char kReadInfo[4] = {0, 0, 0, 0};

/* A panel info image holding every byte value, 0x11 and 0x13 included. */
inline std::vector<unsigned char> PanelImage(size_t size, unsigned seed) {
    std::vector<unsigned char> image(size);
    for (size_t i = 0; i < size; ++i) image[i] = static_cast<unsigned char>(i * 7 + seed);
    return image;
}

/* Write sub-command 1, then the image. */
inline std::vector<unsigned char> WriteInfo(const std::vector<unsigned char>& image) {
    std::vector<unsigned char> data(4 + image.size(), 0);
    data[0] = 1;
    std::copy(image.begin(), image.end(), data.begin() + 4);
    return data;
}

inline int WritePanel(const std::vector<unsigned char>& image) {
    std::vector<unsigned char> data = WriteInfo(image);
    return WriteMSGWithoutCmd(data.data(), static_cast<int>(data.size()));
}

inline int ReadPanel(std::vector<unsigned char>* image) {
    return ReadMSGWithoutCmd(kReadInfo, 4, image->data(), static_cast<int>(image->size()));
}

inline std::string LinkText() {
    std::string text;
    return GetStrErrCopy(text) ? text : "(null)";
}

inline bool StartsWith(const std::string& text, const std::string& prefix) {
    return text.compare(0, prefix.size(), prefix) == 0;
}

#endif
