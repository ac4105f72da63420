package com.kestrel.vimora.bench;

import com.kestrel.vimora.model.DataParam;
import com.kestrel.vimora.model.HeaderParam;
import java.io.IOException;
import java.nio.ByteBuffer;
import java.nio.ByteOrder;
import java.nio.channels.FileChannel;
import java.nio.file.Files;
import java.nio.file.Path;
import java.nio.file.StandardCopyOption;
import java.nio.file.StandardOpenOption;

/**
 * The yardstick of the benchmark: the same bin file format written and read
 * by tight plain Java, with no native code. The writer puts each field into
 * one direct buffer that it keeps, writes it with one channel write to a
 * temporary file, forces it, moves it over the target and forces the
 * folder: the durability the library gives. The reader knows where the
 * writer puts panel i and reads its key record with one positional read,
 * checking the key's name and size; the header is one read of the fixed
 * part, its names and sizes checked. Option identifiers are translated
 * exactly as the library does, so both sides write the same bytes and the
 * bench can check that they do. Not for two threads at once.
 */
final class PlainBinFile {
    static final int FILE_SIZE = 819200;
    static final int R100_BODY = 476;
    static final int R120_BODY = 632;

    private PlainBinFile() {}

    // Enumerator value of each option identifier, and the value an unlisted one gets.
    private static final int[] VB1_BYTE_NUM = {3, 4, 5};
    private static final int[] VB1_SPREAD_FREQ = {2, 3, 4, 5};
    private static final int[] LVDS_SPREAD_FREQ = {2, 3, 4, 5};
    private static final int[] DISP_3D = {0, 2, 4, 5, 9};

    private static int option(int id, int[] values, int butt) {
        return id >= 0 && id < values.length ? values[id] : butt;
    }

    private static int sequential(int id, int count) {
        return id >= 0 && id < count ? id : count;
    }

    private static int reverse(int value, int[] values, int fallback) {
        for (int id = 0; id < values.length; ++id) if (values[id] == value) return id;
        return fallback;
    }

    private static int reverseSequential(int value, int count, int fallback) {
        return value >= 0 && value < count ? value : fallback;
    }

    private static int flag(int id) {
        return id == 1 ? 1 : 0;
    }

    // ------------------------------------------------------------------ writer

    private static final ByteBuffer IMAGE =
            ByteBuffer.allocateDirect(FILE_SIZE).order(ByteOrder.LITTLE_ENDIAN);
    private static final byte[] ZEROS = new byte[64 * 1024];
    /** Bytes of IMAGE the last image wrote, all others zero. */
    private static int dirty = 0;

    static void write(Path file, HeaderParam header, DataParam[] panels, boolean r120)
            throws IOException {
        int body = r120 ? R120_BODY : R100_BODY;
        int keys = panels.length * (36 + body);
        ByteBuffer b = IMAGE;
        // Texts and arrays write only what they hold: the last image's bytes go first.
        for (int at = 0; at < dirty; at += ZEROS.length) b.put(at, ZEROS, 0, Math.min(ZEROS.length, dirty - at));
        dirty = 132 + keys;
        b.put(0, (byte) '#').put(1, (byte) '#').put(2, (byte) '#');
        b.putInt(4, 132 + keys);
        name(b, 8, "panelheader");
        b.putInt(40, 52);
        name(b, 44, "header");
        b.putInt(76, 16);
        b.putInt(80, sequential(header.enMedia, 4));
        b.putInt(84, header.u32Addr);
        b.putInt(88, header.u32TotalNum);
        b.putInt(92, header.u32Index);
        name(b, 96, "paneldatabody");
        b.putInt(128, keys);
        int at = 132;
        for (int i = 0; i < panels.length; ++i) {
            name(b, at, "index" + i);
            b.putInt(at + 32, body);
            if (r120) putR120(b, at + 36, panels[i]);
            else putR100(b, at + 36, panels[i]);
            at += 36 + body;
        }
        Path temporary = file.resolveSibling(file.getFileName() + ".tmp");
        try (FileChannel out = FileChannel.open(temporary, StandardOpenOption.CREATE,
                StandardOpenOption.WRITE, StandardOpenOption.TRUNCATE_EXISTING)) {
            b.clear();
            while (b.hasRemaining()) out.write(b);
            out.force(true);
        }
        Files.move(temporary, file, StandardCopyOption.ATOMIC_MOVE, StandardCopyOption.REPLACE_EXISTING);
        try (FileChannel folder = FileChannel.open(file.toAbsolutePath().getParent(), StandardOpenOption.READ)) {
            folder.force(true);
        }
    }

    private static void name(ByteBuffer b, int at, String name) {
        for (int k = 0; k < name.length(); ++k) b.put(at + k, (byte) name.charAt(k));
    }

    private static void putShared(ByteBuffer b, int o, DataParam p) {
        text(b, o, 48, p.chName);
        b.putInt(o + 48, p.u32PanelWidth);
        b.putInt(o + 52, p.u32Panelheight);
        b.putInt(o + 56, p.u32FrameRateMax);
        b.putInt(o + 60, flag(p.bSupport48Hz));
        b.putInt(o + 64, option(p.en3DType, DISP_3D, 10));
        b.putInt(o + 68, sequential(p.enResolutionType, 6));
        b.putInt(o + 72, sequential(p.enIntfType, 3));
        b.putInt(o + 76, sequential(p.enPanelLinkType, 4));
        b.putInt(o + 80, sequential(p.enPanelBitWidth, 4));
        b.putInt(o + 84, p.u32LvdsSpreadRatio);
        b.putInt(o + 88, option(p.enLvdsSpreadFreq, LVDS_SPREAD_FREQ, 6));
        b.putInt(o + 92, sequential(p.enLvdsFmt, 3));
        b.putInt(o + 96, sequential(p.enLink1, 4));
        b.putInt(o + 100, sequential(p.enLink2, 4));
        b.putInt(o + 104, sequential(p.enLink3, 4));
        b.putInt(o + 108, sequential(p.enLink4, 4));
        b.putInt(o + 112, sequential(p.enLvdsDrvCurrent, 8));
        b.putInt(o + 116, sequential(p.enLvdsComVoltage, 8));
        b.putInt(o + 120, flag(p.bGroupSwap));
        b.putInt(o + 124, flag(p.bLeftInternalSwap));
        b.putInt(o + 128, flag(p.bRightInternalSwap));
        b.putInt(o + 132, flag(p.bBit0AtHighBit));
        b.putInt(o + 136, sequential(p.enDataMode, 7));
        b.putInt(o + 140, option(p.enVb1ByteNum, VB1_BYTE_NUM, 6));
        b.putInt(o + 144, sequential(p.enVb1Current, 5));
        b.putInt(o + 148, sequential(p.enVb1Emphasis, 4));
        b.putInt(o + 152, p.u32Vb1SpreadRatio);
        b.putInt(o + 156, option(p.enVb1SpreadFreq, VB1_SPREAD_FREQ, 6));
        timing(b, o + 160, p.stTiming60HzPixelClk, p.stTiming60HzHtotal, p.stTiming60HzVtotal,
                p.u16Timing60HzHsyncFP, p.u16Timing60HzVsyncFP);
        timing(b, o + 176, p.stTiming50HzPixelClk, p.stTiming50HzHtotal, p.stTiming50HzVtotal,
                p.u16Timing50HzHsyncFP, p.u16Timing50HzVsyncFP);
        timing(b, o + 192, p.stTiming48HzPixelClk, p.stTiming48HzHtotal, p.stTiming48HzVtotal,
                p.u16Timing48HzHsyncFP, p.u16Timing48HzVsyncFP);
        b.putShort(o + 208, (short) p.u16HsyncWidth);
        b.putShort(o + 210, (short) p.u16VsyncWidth);
        b.putInt(o + 212, flag(p.bHSyncOutput));
        b.putInt(o + 216, flag(p.bVSyncOutput));
        b.putInt(o + 220, flag(p.bHSyncNegative));
        b.putInt(o + 224, flag(p.bVSyncNegative));
        b.putInt(o + 228, flag(p.bDeNegative));
        b.putInt(o + 232, flag(p.bPwmPostive));
        b.putInt(o + 236, p.u32DimmingFreq60hz);
        b.putInt(o + 240, p.u32DimmingFreq50hz);
        b.putInt(o + 244, p.u32DimmingFreq48hz);
        b.putInt(o + 248, p.u32IntfSignalOnDelay);
        b.putInt(o + 252, p.u32BLOnDelay);
        b.putInt(o + 256, p.u32BLOffDelay);
        b.putInt(o + 260, p.u32IntfSignalOffDelay);
    }

    private static void timing(ByteBuffer b, int o, int clk, int htotal, int vtotal, int hfp, int vfp) {
        b.putInt(o, clk);
        b.putInt(o + 4, htotal);
        b.putInt(o + 8, vtotal);
        b.putShort(o + 12, (short) hfp);
        b.putShort(o + 14, (short) vfp);
    }

    private static void putR100(ByteBuffer b, int o, DataParam p) {
        putShared(b, o, p);
        b.putInt(o + 264, flag(p.bFrmRateChangeBlack));
        b.putInt(o + 268, p.u32MuteTime);
        b.putInt(o + 272, flag(p.bLocalDimmingSupport));
        b.putInt(o + 276, p.u8HorAreaNum);
        b.putInt(o + 280, p.u8VerAreaNum);
        b.putInt(o + 284, sequential(p.enPanelFlipType, 4));
        b.putInt(o + 288, sequential(p.enPanelFixrateType, 3));
        b.putInt(o + 292, p.enTimmingChangeType);
        b.putInt(o + 296, p.u32ChangeStep);
        b.putInt(o + 300, sequential(p.enDivisionType, 3));
        reserved(b, o + 304, 20);
        text(b, o + 324, 100, p.cPqBinPath);
        b.putInt(o + 424, p.u32PanelBackLightPwm);
        b.putInt(o + 428, p.u32BlPwmUserMin);
        b.putInt(o + 432, p.u32BlPwmUserMax);
        reserved(b, o + 436, 40);
    }

    private static void putR120(ByteBuffer b, int o, DataParam p) {
        putShared(b, o, p);
        b.putInt(o + 264, sequential(p.enPanelFlipType, 4));
        b.putInt(o + 268, sequential(p.enPanelFixrateType, 7));
        b.putInt(o + 272, sequential(p.enDivisionType, 4));
        b.putInt(o + 276, p.enTimmingChangeType);
        b.putInt(o + 280, p.u32ChangeStep);
        reserved(b, o + 284, 80);
        b.putInt(o + 364, flag(p.sendI2c));
        b.putInt(o + 368, flag(p.pullGpio));
        b.putInt(o + 372, flag(p.localdimingSupport));
        b.putInt(o + 376, p.tconToi2cDelay);
        b.putInt(o + 380, p.i2cItervalDelay);
        b.putInt(o + 384, p.i2cCmdNum);
        b.putInt(o + 388, p.i2cCmdLen);
        bytes(b, o + 392, 120, p.i2cDataArray);
        b.putInt(o + 512, p.gpioNum);
        bytes(b, o + 516, 24, p.gpioDataSingleArray);
        b.putInt(o + 540, p.matrixNum);
        bytes(b, o + 544, 12, p.ldmActNumSingleArray);
        b.putInt(o + 556, flag(p.checkSumInHead));
        b.put(o + 560, (byte) p.checkSumPos);
        b.put(o + 561, (byte) p.protHeadLength);
        b.put(o + 562, (byte) p.protTailLength);
        bytes(b, o + 563, 8, p.protHeadDataArray);
        bytes(b, o + 571, 8, p.protTailDataArray);
        b.putInt(o + 580, p.u32PanelBackLightPwm);
        b.putInt(o + 584, p.u32BlPwmUserMin);
        b.putInt(o + 588, p.u32BlPwmUserMax);
        reserved(b, o + 592, 40);
    }

    private static void reserved(ByteBuffer b, int at, int width) {
        for (int k = 0; k < width; ++k) b.put(at + k, (byte) 0xFF);
    }

    /** Modified UTF-8, cut on a character boundary to fit the member. */
    private static void text(ByteBuffer b, int at, int width, String s) {
        if (s == null) return;
        int used = 0;
        for (int k = 0; k < s.length(); ++k) {
            char c = s.charAt(k);
            int n = c != 0 && c < 0x80 ? 1 : c < 0x800 ? 2 : 3;
            if (used + n > width) return;
            if (n == 1) {
                b.put(at + used, (byte) c);
            } else if (n == 2) {
                b.put(at + used, (byte) (0xC0 | c >> 6));
                b.put(at + used + 1, (byte) (0x80 | c & 0x3F));
            } else {
                b.put(at + used, (byte) (0xE0 | c >> 12));
                b.put(at + used + 1, (byte) (0x80 | c >> 6 & 0x3F));
                b.put(at + used + 2, (byte) (0x80 | c & 0x3F));
            }
            used += n;
        }
    }

    private static void bytes(ByteBuffer b, int at, int width, int[] values) {
        if (values == null) return;
        int n = Math.min(values.length, width);
        for (int k = 0; k < n; ++k) b.put(at + k, (byte) values[k]);
    }

    // ------------------------------------------------------------------ reader

    private static final ByteBuffer RECORD =
            ByteBuffer.allocateDirect(36 + R120_BODY).order(ByteOrder.LITTLE_ENDIAN);

    /** Panel {@code index} of the file into {@code p}, or null: its key record, read where the writer puts it. */
    static DataParam readBody(Path file, int index, boolean r120, DataParam p) throws IOException {
        int body = r120 ? R120_BODY : R100_BODY;
        ByteBuffer b = readAt(file, 132L + (long) index * (36 + body), 36 + body);
        if (b == null || index < 0 || !nameIs(b, 0, "index" + index) || b.getInt(32) != body) return null;
        if (r120) getR120(b, 36, p);
        else getR100(b, 36, p);
        return p;
    }

    /** The header, from one read of the magic, the header table and its key. */
    static HeaderParam readHeader(Path file, HeaderParam h) throws IOException {
        ByteBuffer b = readAt(file, 0, 96);
        if (b == null || b.get(0) != '#' || b.get(1) != '#' || b.get(2) != '#' || b.getInt(4) < 132
                || b.getInt(4) > FILE_SIZE || !nameIs(b, 8, "panelheader") || b.getInt(40) != 52
                || !nameIs(b, 44, "header") || b.getInt(76) != 16) return null;
        h.enMedia = b.getInt(80);
        h.u32Addr = b.getInt(84);
        h.u32TotalNum = b.getInt(88);
        h.u32Index = b.getInt(92);
        return h;
    }

    /** {@code length} bytes at {@code at} in RECORD, or null where the file ends first. */
    private static ByteBuffer readAt(Path file, long at, int length) throws IOException {
        ByteBuffer b = RECORD;
        b.clear().limit(length);
        try (FileChannel in = FileChannel.open(file, StandardOpenOption.READ)) {
            while (b.hasRemaining()) {
                if (in.read(b, at + b.position()) < 0) return null;
            }
        }
        return b;
    }

    /** The 32-byte name at {@code at} is {@code name}, zero after it. */
    private static boolean nameIs(ByteBuffer b, int at, String name) {
        for (int k = 0; k < 32; ++k) {
            int want = k < name.length() ? name.charAt(k) : 0;
            if (b.get(at + k) != want) return false;
        }
        return true;
    }

    private static void getShared(ByteBuffer b, int o, DataParam p) {
        p.chName = string(b, o, 48);
        p.u32PanelWidth = b.getInt(o + 48);
        p.u32Panelheight = b.getInt(o + 52);
        p.u32FrameRateMax = b.getInt(o + 56);
        p.bSupport48Hz = b.getInt(o + 60);
        p.en3DType = reverse(b.getInt(o + 64), DISP_3D, 5);
        p.enResolutionType = b.getInt(o + 68);
        p.enIntfType = b.getInt(o + 72);
        p.enPanelLinkType = b.getInt(o + 76);
        p.enPanelBitWidth = b.getInt(o + 80);
        p.u32LvdsSpreadRatio = b.getInt(o + 84);
        p.enLvdsSpreadFreq = reverse(b.getInt(o + 88), LVDS_SPREAD_FREQ, 6);
        p.enLvdsFmt = b.getInt(o + 92);
        p.enLink1 = b.getInt(o + 96);
        p.enLink2 = b.getInt(o + 100);
        p.enLink3 = b.getInt(o + 104);
        p.enLink4 = b.getInt(o + 108);
        p.enLvdsDrvCurrent = b.getInt(o + 112);
        p.enLvdsComVoltage = b.getInt(o + 116);
        p.bGroupSwap = b.getInt(o + 120);
        p.bLeftInternalSwap = b.getInt(o + 124);
        p.bRightInternalSwap = b.getInt(o + 128);
        p.bBit0AtHighBit = b.getInt(o + 132);
        p.enDataMode = b.getInt(o + 136);
        p.enVb1ByteNum = reverse(b.getInt(o + 140), VB1_BYTE_NUM, 0);
        p.enVb1Current = b.getInt(o + 144);
        p.enVb1Emphasis = b.getInt(o + 148);
        p.u32Vb1SpreadRatio = b.getInt(o + 152);
        p.enVb1SpreadFreq = reverse(b.getInt(o + 156), VB1_SPREAD_FREQ, 0);
        p.stTiming60HzPixelClk = b.getInt(o + 160);
        p.stTiming60HzHtotal = b.getInt(o + 164);
        p.stTiming60HzVtotal = b.getInt(o + 168);
        p.u16Timing60HzHsyncFP = b.getShort(o + 172) & 0xFFFF;
        p.u16Timing60HzVsyncFP = b.getShort(o + 174) & 0xFFFF;
        p.stTiming50HzPixelClk = b.getInt(o + 176);
        p.stTiming50HzHtotal = b.getInt(o + 180);
        p.stTiming50HzVtotal = b.getInt(o + 184);
        p.u16Timing50HzHsyncFP = b.getShort(o + 188) & 0xFFFF;
        p.u16Timing50HzVsyncFP = b.getShort(o + 190) & 0xFFFF;
        p.stTiming48HzPixelClk = b.getInt(o + 192);
        p.stTiming48HzHtotal = b.getInt(o + 196);
        p.stTiming48HzVtotal = b.getInt(o + 200);
        p.u16Timing48HzHsyncFP = b.getShort(o + 204) & 0xFFFF;
        p.u16Timing48HzVsyncFP = b.getShort(o + 206) & 0xFFFF;
        p.u16HsyncWidth = b.getShort(o + 208) & 0xFFFF;
        p.u16VsyncWidth = b.getShort(o + 210) & 0xFFFF;
        p.bHSyncOutput = b.getInt(o + 212);
        p.bVSyncOutput = b.getInt(o + 216);
        p.bHSyncNegative = b.getInt(o + 220);
        p.bVSyncNegative = b.getInt(o + 224);
        p.bDeNegative = b.getInt(o + 228);
        p.bPwmPostive = b.getInt(o + 232);
        p.u32DimmingFreq60hz = b.getInt(o + 236);
        p.u32DimmingFreq50hz = b.getInt(o + 240);
        p.u32DimmingFreq48hz = b.getInt(o + 244);
        p.u32IntfSignalOnDelay = b.getInt(o + 248);
        p.u32BLOnDelay = b.getInt(o + 252);
        p.u32BLOffDelay = b.getInt(o + 256);
        p.u32IntfSignalOffDelay = b.getInt(o + 260);
    }

    private static void getR100(ByteBuffer b, int o, DataParam p) {
        getShared(b, o, p);
        p.bFrmRateChangeBlack = b.getInt(o + 264);
        p.u32MuteTime = b.getInt(o + 268);
        p.bLocalDimmingSupport = b.getInt(o + 272);
        p.u8HorAreaNum = b.getInt(o + 276);
        p.u8VerAreaNum = b.getInt(o + 280);
        p.enPanelFlipType = b.getInt(o + 284);
        p.enPanelFixrateType = b.getInt(o + 288);
        p.enTimmingChangeType = b.getInt(o + 292);
        p.u32ChangeStep = b.getInt(o + 296);
        p.enDivisionType = reverseSequential(b.getInt(o + 300), 3, 0);
        p.cPqBinPath = string(b, o + 324, 100);
        p.u32PanelBackLightPwm = b.getInt(o + 424);
        p.u32BlPwmUserMin = b.getInt(o + 428);
        p.u32BlPwmUserMax = b.getInt(o + 432);
    }

    private static void getR120(ByteBuffer b, int o, DataParam p) {
        getShared(b, o, p);
        p.enPanelFlipType = b.getInt(o + 264);
        p.enPanelFixrateType = b.getInt(o + 268);
        p.enDivisionType = reverseSequential(b.getInt(o + 272), 4, 0);
        p.enTimmingChangeType = b.getInt(o + 276);
        p.u32ChangeStep = b.getInt(o + 280);
        p.sendI2c = b.getInt(o + 364);
        p.pullGpio = b.getInt(o + 368);
        p.localdimingSupport = b.getInt(o + 372);
        p.tconToi2cDelay = b.getInt(o + 376);
        p.i2cItervalDelay = b.getInt(o + 380);
        p.i2cCmdNum = b.getInt(o + 384);
        p.i2cCmdLen = b.getInt(o + 388);
        p.i2cDataArray = array(b, o + 392, 120, p.i2cDataArray);
        p.gpioNum = b.getInt(o + 512);
        p.gpioDataSingleArray = array(b, o + 516, 24, p.gpioDataSingleArray);
        p.matrixNum = b.getInt(o + 540);
        p.ldmActNumSingleArray = array(b, o + 544, 12, p.ldmActNumSingleArray);
        p.checkSumInHead = b.getInt(o + 556);
        p.checkSumPos = b.get(o + 560) & 0xFF;
        p.protHeadLength = b.get(o + 561) & 0xFF;
        p.protTailLength = b.get(o + 562) & 0xFF;
        p.protHeadDataArray = array(b, o + 563, 8, p.protHeadDataArray);
        p.protTailDataArray = array(b, o + 571, 8, p.protTailDataArray);
        p.u32PanelBackLightPwm = b.getInt(o + 580);
        p.u32BlPwmUserMin = b.getInt(o + 584);
        p.u32BlPwmUserMax = b.getInt(o + 588);
    }

    /** The member's bytes up to the first zero, as modified UTF-8. */
    private static String string(ByteBuffer b, int at, int width) {
        StringBuilder s = new StringBuilder();
        int k = 0;
        while (k < width) {
            int c = b.get(at + k) & 0xFF;
            if (c == 0) break;
            if (c < 0x80) {
                s.append((char) c);
                k += 1;
            } else if ((c & 0xE0) == 0xC0 && k + 1 < width) {
                s.append((char) ((c & 0x1F) << 6 | b.get(at + k + 1) & 0x3F));
                k += 2;
            } else if (k + 2 < width) {
                s.append((char) ((c & 0x0F) << 12 | (b.get(at + k + 1) & 0x3F) << 6
                        | b.get(at + k + 2) & 0x3F));
                k += 3;
            } else {
                break;
            }
        }
        return s.toString();
    }

    /** A new array as long as the old one; entries past the member are 0. */
    private static int[] array(ByteBuffer b, int at, int width, int[] old) {
        int[] fresh = new int[old == null ? 0 : old.length];
        int n = Math.min(fresh.length, width);
        for (int k = 0; k < n; ++k) fresh[k] = b.get(at + k) & 0xFF;
        return fresh;
    }
}
