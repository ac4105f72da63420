package com.kestrel.vimora.board;

/** Little-endian reads of captured frames. */
final class Wire {
    private Wire() {}

    static int u8(byte[] b, int at) {
        return b[at] & 0xFF;
    }

    static int u16(byte[] b, int at) {
        return u8(b, at) | u8(b, at + 1) << 8;
    }

    static int u32(byte[] b, int at) {
        return u16(b, at) | u16(b, at + 2) << 16;
    }

    static long byteSum(byte[] b, int from, int to) {
        long sum = 0;
        for (int i = from; i < to; i++) {
            sum += u8(b, i);
        }
        return sum & 0xFFFFFFFFL;
    }
}
