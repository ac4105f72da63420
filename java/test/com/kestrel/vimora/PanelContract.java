package com.kestrel.vimora;

import com.kestrel.vimora.model.DataParam;
import java.util.ArrayList;
import java.util.List;
import java.util.Random;

/**
 * What the library promises for every DataParam field, written down on the
 * Java side and independently of the library's own tables: which
 * generation uses the field, what a value becomes in the file, and what
 * comes back when the file is read.
 */
final class PanelContract {
    enum Gen { BOTH, R100, R120 }

    enum Kind { COPY, LOW16, LOW8, FLAG, OPTION, TEXT, BYTES }

    static final class Field {
        final String name;
        final Gen gen;
        final Kind kind;
        final int[] values; // OPTION: the stored value of identifier 0, 1, ...
        final int butt; // OPTION: stored for any other identifier
        final Integer fallback; // OPTION: read back for an unlisted value; null: no reverse
        final int width; // TEXT, BYTES: bytes of the member

        Field(String name, Gen gen, Kind kind, int[] values, int butt, Integer fallback, int width) {
            this.name = name;
            this.gen = gen;
            this.kind = kind;
            this.values = values;
            this.butt = butt;
            this.fallback = fallback;
            this.width = width;
        }

        /** The record member's value for the int {@code v}. */
        int stored(int v) {
            switch (kind) {
                case LOW16:
                    return v & 0xFFFF;
                case LOW8:
                    return v & 0xFF;
                case FLAG:
                    return v == 1 ? 1 : 0;
                case OPTION:
                    return v >= 0 && v < values.length ? values[v] : butt;
                default:
                    return v;
            }
        }

        /** What a reader hands back for a member holding {@code stored}. */
        int readBack(int stored) {
            if (kind != Kind.OPTION || fallback == null) return stored;
            for (int id = 0; id < values.length; ++id) if (values[id] == stored) return id;
            return fallback;
        }

        int roundTrip(int v) {
            return readBack(stored(v));
        }

        boolean usedBy(String chip) {
            return gen == Gen.BOTH || gen == ("R120".equals(chip) ? Gen.R120 : Gen.R100);
        }
    }

    static final List<Field> FIELDS = new ArrayList<>();

    private static void add(Gen gen, Kind kind, String... names) {
        for (String name : names) FIELDS.add(new Field(name, gen, kind, null, 0, null, 0));
    }

    private static void option(Gen gen, String name, int[] values, int butt, Integer fallback) {
        FIELDS.add(new Field(name, gen, Kind.OPTION, values, butt, fallback, 0));
    }

    private static void sequential(Gen gen, String name, int count) {
        int[] values = new int[count];
        for (int i = 0; i < count; ++i) values[i] = i;
        option(gen, name, values, count, null);
    }

    private static void sized(Gen gen, Kind kind, String name, int width) {
        FIELDS.add(new Field(name, gen, kind, null, 0, null, width));
    }

    static {
        Gen b = Gen.BOTH;
        sized(b, Kind.TEXT, "chName", 48);
        add(b, Kind.COPY, "u32PanelWidth", "u32Panelheight", "u32FrameRateMax", "u32LvdsSpreadRatio",
                "u32Vb1SpreadRatio", "stTiming60HzPixelClk", "stTiming50HzPixelClk",
                "stTiming48HzPixelClk", "stTiming60HzHtotal", "stTiming50HzHtotal", "stTiming48HzHtotal",
                "stTiming60HzVtotal", "stTiming50HzVtotal", "stTiming48HzVtotal", "u32DimmingFreq60hz",
                "u32DimmingFreq50hz", "u32DimmingFreq48hz", "u32IntfSignalOnDelay", "u32BLOnDelay",
                "u32BLOffDelay", "u32IntfSignalOffDelay", "u32PanelBackLightPwm", "u32BlPwmUserMin",
                "u32BlPwmUserMax", "enTimmingChangeType", "u32ChangeStep");
        add(b, Kind.LOW16, "u16Timing60HzHsyncFP", "u16Timing50HzHsyncFP", "u16Timing48HzHsyncFP",
                "u16Timing60HzVsyncFP", "u16Timing50HzVsyncFP", "u16Timing48HzVsyncFP", "u16HsyncWidth",
                "u16VsyncWidth");
        add(b, Kind.FLAG, "bSupport48Hz", "bGroupSwap", "bLeftInternalSwap", "bRightInternalSwap",
                "bBit0AtHighBit", "bHSyncOutput", "bVSyncOutput", "bHSyncNegative", "bVSyncNegative",
                "bDeNegative", "bPwmPostive");
        option(b, "en3DType", new int[] {0, 2, 4, 5, 9}, 10, 5);
        option(b, "enLvdsSpreadFreq", new int[] {2, 3, 4, 5}, 6, 6);
        option(b, "enVb1SpreadFreq", new int[] {2, 3, 4, 5}, 6, 0);
        option(b, "enVb1ByteNum", new int[] {3, 4, 5}, 6, 0);
        sequential(b, "enResolutionType", 6);
        sequential(b, "enIntfType", 3);
        sequential(b, "enPanelLinkType", 4);
        sequential(b, "enPanelBitWidth", 4);
        sequential(b, "enLvdsFmt", 3);
        for (String link : new String[] {"enLink1", "enLink2", "enLink3", "enLink4"}) {
            sequential(b, link, 4);
        }
        sequential(b, "enLvdsDrvCurrent", 8);
        sequential(b, "enLvdsComVoltage", 8);
        sequential(b, "enDataMode", 7);
        sequential(b, "enVb1Current", 5);
        sequential(b, "enVb1Emphasis", 4);
        sequential(b, "enPanelFlipType", 4);

        sequential(Gen.R100, "enPanelFixrateType", 3);
        option(Gen.R100, "enDivisionType", new int[] {0, 1, 2}, 3, 0);
        sized(Gen.R100, Kind.TEXT, "cPqBinPath", 100);
        add(Gen.R100, Kind.FLAG, "bFrmRateChangeBlack", "bLocalDimmingSupport");
        add(Gen.R100, Kind.COPY, "u32MuteTime", "u8HorAreaNum", "u8VerAreaNum");

        sequential(Gen.R120, "enPanelFixrateType", 7);
        option(Gen.R120, "enDivisionType", new int[] {0, 1, 2, 3}, 4, 0);
        add(Gen.R120, Kind.FLAG, "sendI2c", "pullGpio", "localdimingSupport", "checkSumInHead");
        add(Gen.R120, Kind.COPY, "i2cCmdNum", "i2cCmdLen", "tconToi2cDelay", "i2cItervalDelay",
                "gpioNum", "matrixNum");
        add(Gen.R120, Kind.LOW8, "checkSumPos", "protHeadLength", "protTailLength");
        sized(Gen.R120, Kind.BYTES, "i2cDataArray", 120);
        sized(Gen.R120, Kind.BYTES, "gpioDataSingleArray", 24);
        sized(Gen.R120, Kind.BYTES, "ldmActNumSingleArray", 12);
        sized(Gen.R120, Kind.BYTES, "protHeadDataArray", 8);
        sized(Gen.R120, Kind.BYTES, "protTailDataArray", 8);
    }

    private PanelContract() {}

    static List<Field> fieldsOf(String chip) {
        List<Field> fields = new ArrayList<>();
        for (Field f : FIELDS) if (f.usedBy(chip)) fields.add(f);
        return fields;
    }

    /** Bytes of one character in the JVM's modified UTF-8. */
    static int modifiedUtf8Size(int codePoint) {
        if (codePoint == 0) return 2;
        if (codePoint < 0x80) return 1;
        if (codePoint < 0x800) return 2;
        return codePoint < 0x10000 ? 3 : 6;
    }

    /** The text as it comes back from a member of {@code width} bytes. */
    static String textBack(String text, int width) {
        if (text == null) return "";
        int bytes = 0;
        int end = 0;
        while (end < text.length()) {
            int cp = text.codePointAt(end);
            int size = modifiedUtf8Size(cp);
            if (bytes + size > width) break;
            bytes += size;
            end += Character.charCount(cp);
        }
        return text.substring(0, end);
    }

    /** The array a reader hands back into an array of {@code length} entries. */
    static int[] bytesBack(int[] written, int width, int length) {
        int[] back = new int[length];
        int n = written == null ? 0 : Math.min(Math.min(written.length, width), length);
        for (int k = 0; k < n; ++k) back[k] = written[k] & 0xFF;
        return back;
    }

    private static final int[] EDGES = {
        Integer.MIN_VALUE, Integer.MAX_VALUE, -1, 0, 1, 2, 3, 255, 256, 300, 65535, 65536, 70000
    };
    private static final String[] PIECES = {"a", "Z", "7", " ", "-", "ü", "é", "液", "晶", "\uD83D\uDCFA", "\u0000"};

    static int randomInt(Random random) {
        switch (random.nextInt(3)) {
            case 0:
                return random.nextInt(14) - 2; // identifiers in and out of range
            case 1:
                return EDGES[random.nextInt(EDGES.length)];
            default:
                return random.nextInt();
        }
    }

    /** Random names, with the boundary cases among them: 48 bytes exactly,
     * and a last character that would cross the 48th byte. */
    static String randomText(Random random, int serial) {
        switch (serial % 6) {
            case 0:
                return "N".repeat(48);
            case 1:
                return "a".repeat(47) + "ü";
            case 2:
                return "b".repeat(46) + "\uD83D\uDCFA";
            case 3:
                return "液".repeat(16);
            default:
                StringBuilder text = new StringBuilder();
                int count = random.nextInt(40);
                for (int i = 0; i < count; ++i) text.append(PIECES[random.nextInt(PIECES.length)]);
                return text.toString();
        }
    }

    static int[] randomArray(Random random, int width) {
        int[] values = new int[random.nextInt(width + 12)];
        for (int i = 0; i < values.length; ++i) values[i] = randomInt(random);
        return values;
    }

    /** A panel with every field of both generations set. */
    static DataParam randomPanel(Random random, int serial) {
        DataParam panel = new DataParam();
        try {
            for (Field f : FIELDS) {
                java.lang.reflect.Field field = DataParam.class.getField(f.name);
                if (f.kind == Kind.TEXT) {
                    field.set(panel, randomText(random, serial + f.width));
                } else if (f.kind == Kind.BYTES) {
                    field.set(panel, randomArray(random, f.width));
                } else {
                    field.setInt(panel, randomInt(random));
                }
            }
        } catch (ReflectiveOperationException e) {
            throw new AssertionError(e);
        }
        return panel;
    }
}
