package com.kestrel.vimora.bench;

import com.kestrel.vimora.jni.JNIMakeBin;
import com.kestrel.vimora.model.DataParam;
import com.kestrel.vimora.model.HeaderParam;
import java.io.IOException;
import java.nio.file.Files;
import java.nio.file.Path;
import java.util.Arrays;
import java.util.Objects;

/**
 * Times the bin-file methods on the largest files of both generations
 * against {@link PlainBinFile}, the same format in plain Java: makePanelBin
 * of a full file, readBinBody of every panel in it, readBinBody of the first
 * and of the last panel, and readBinHeader. Before timing, both writers must
 * have written byte-identical files and both readers must agree on every
 * panel. Both sides run in turns, so that they meet the same load. Prints
 * the median time per call of each side and their ratio (library / plain
 * Java; below 1 the library is faster).
 */
public final class Bench {
    private static final int MAKE_WARMUP = 150;
    private static final int MAKE_RUNS = 60;
    private static final int READ_ALL_WARMUP = 3;
    private static final int READ_ALL_RUNS = 11;
    private static final int SINGLE_BATCH = 400;
    private static final int SINGLE_RUNS = 9;

    private final JNIMakeBin jni = new JNIMakeBin();

    private Bench() {}

    public static void main(String[] args) throws IOException {
        Path dir = scratchDirectory();
        boolean i386 = "32".equals(System.getProperty("sun.arch.data.model"));
        System.out.printf("%s JVM (%s-bit), files in %s%s%n", System.getProperty("os.arch"),
                System.getProperty("sun.arch.data.model"), dir.getParent(),
                i386 && "emulated".equals(System.getProperty("makebin.i386"))
                        ? "  (emulated i386: not comparable with native figures)" : "");
        System.out.printf("%-34s %14s %14s %8s%n", "operation", "library", "plain Java", "ratio");
        try {
            Bench bench = new Bench();
            bench.run(dir, "R100", 1599);
            bench.run(dir, "R120", 1226);
        } finally {
            try (var files = Files.list(dir)) {
                for (Path p : files.toArray(Path[]::new)) Files.delete(p);
            }
            Files.delete(dir);
        }
    }

    /** tmpfs where there is one, so that the figures measure the code, not a disk. */
    private static Path scratchDirectory() throws IOException {
        Path shm = Path.of("/dev/shm");
        if (Files.isDirectory(shm) && Files.isWritable(shm)) {
            return Files.createTempDirectory(shm, "makebin-bench");
        }
        return Files.createTempDirectory("makebin-bench");
    }

    private interface Call {
        void run() throws IOException;
    }

    private void run(Path dir, String chip, int count) throws IOException {
        boolean r120 = chip.equals("R120");
        DataParam[] panels = new DataParam[count];
        for (int i = 0; i < count; ++i) panels[i] = panel(i);
        HeaderParam header = new HeaderParam();
        header.enMedia = 1;
        header.u32Addr = 0x100000;
        header.u32TotalNum = count;
        String lib = dir.resolve("library-" + chip + ".bin").toString();
        Path plain = dir.resolve("plain-" + chip + ".bin");

        check(jni.makePanelBin(header, panels, lib, chip) == 0, "makePanelBin");
        PlainBinFile.write(plain, header, panels, r120);
        sameBytes(Path.of(lib), plain);
        sameReads(lib, plain, chip, count, r120);

        double[] make = medians(MAKE_WARMUP, MAKE_RUNS, 1,
                () -> check(jni.makePanelBin(header, panels, lib, chip) == 0, "make"),
                () -> PlainBinFile.write(plain, header, panels, r120));
        row(String.format("makePanelBin, %d %s panels", count, chip), make, "ms");

        DataParam target = new DataParam();
        double[] all = medians(READ_ALL_WARMUP, READ_ALL_RUNS, count, () -> {
            for (int i = 0; i < count; ++i) {
                check(jni.readBinBody(target, i, lib, chip) == target
                        && target.u32PanelWidth == 1920 + i, "read");
            }
        }, () -> {
            for (int i = 0; i < count; ++i) {
                check(PlainBinFile.readBody(plain, i, r120, target) == target
                        && target.u32PanelWidth == 1920 + i, "plain read");
            }
        });
        row("readBinBody, every " + chip + " panel", all, "us");

        for (int index : new int[] {0, count - 1}) {
            double[] one = medians(SINGLE_RUNS, SINGLE_RUNS, SINGLE_BATCH, () -> {
                for (int k = 0; k < SINGLE_BATCH; ++k)
                    check(jni.readBinBody(target, index, lib, chip) != null, "read one");
            }, () -> {
                for (int k = 0; k < SINGLE_BATCH; ++k)
                    check(PlainBinFile.readBody(plain, index, r120, target) != null, "plain one");
            });
            row("readBinBody, " + chip + " panel " + index, one, "us");
        }

        HeaderParam h = new HeaderParam();
        double[] head = medians(SINGLE_RUNS, SINGLE_RUNS, SINGLE_BATCH, () -> {
            for (int k = 0; k < SINGLE_BATCH; ++k)
                check(jni.readBinHeader(h, lib, chip) == h && h.u32TotalNum == count, "header");
        }, () -> {
            for (int k = 0; k < SINGLE_BATCH; ++k)
                check(PlainBinFile.readHeader(plain, h) == h && h.u32TotalNum == count, "plain header");
        });
        row("readBinHeader, " + chip + " file", head, "us");
    }

    /**
     * Medians of ms per call of the library and of plain Java, over `runs`
     * timed rounds after `warmup` untimed ones. Each round runs both sides,
     * one right after the other, so that both meet the same machine load.
     */
    private static double[] medians(int warmup, int runs, int callsPerRun, Call library, Call plain)
            throws IOException {
        for (int i = 0; i < warmup; ++i) {
            library.run();
            plain.run();
        }
        double[] lib = new double[runs];
        double[] java = new double[runs];
        for (int i = 0; i < runs; ++i) {
            lib[i] = timed(library, callsPerRun);
            java[i] = timed(plain, callsPerRun);
        }
        Arrays.sort(lib);
        Arrays.sort(java);
        return new double[] {lib[runs / 2], java[runs / 2]};
    }

    private static double timed(Call call, int calls) throws IOException {
        long start = System.nanoTime();
        call.run();
        return (System.nanoTime() - start) / 1e6 / calls;
    }

    /** One line: both medians (in ms, or in us) and their ratio. */
    private static void row(String what, double[] ms, String unit) {
        double scale = unit.equals("ms") ? 1 : 1000;
        String format = unit.equals("ms") ? "%10.3f %s" : "%10.1f %s";
        System.out.printf("%-34s %14s %14s %7.2fx%n", what,
                String.format(format, ms[0] * scale, unit), String.format(format, ms[1] * scale, unit),
                ms[0] / ms[1]);
    }

    private static void sameBytes(Path a, Path b) throws IOException {
        byte[] x = Files.readAllBytes(a);
        byte[] y = Files.readAllBytes(b);
        int at = Arrays.mismatch(x, y);
        check(at < 0, "byte-identical files (first difference at offset " + at + ", sizes "
                + x.length + " and " + y.length + ")");
    }

    /** Both readers give the same panel for every index. */
    private void sameReads(String lib, Path plain, String chip, int count, boolean r120) throws IOException {
        for (int i = 0; i < count; ++i) {
            DataParam a = jni.readBinBody(new DataParam(), i, lib, chip);
            DataParam b = PlainBinFile.readBody(plain, i, r120, new DataParam());
            check(a != null && b != null && samePanel(a, b), "both readers agree on panel " + i);
        }
    }

    private static boolean samePanel(DataParam a, DataParam b) {
        try {
            for (var field : DataParam.class.getFields()) {
                Object x = field.get(a);
                Object y = field.get(b);
                boolean same = x instanceof int[] ? Arrays.equals((int[]) x, (int[]) y) : Objects.equals(x, y);
                if (!same) return false;
            }
            return true;
        } catch (IllegalAccessException e) {
            throw new IllegalStateException(e);
        }
    }

    /** A panel whose every kind of field holds something, options varied. */
    private static DataParam panel(int i) {
        DataParam p = new DataParam();
        p.chName = "bench panel " + i;
        p.cPqBinPath = "/pq/bench_" + i + ".bin";
        p.u32PanelWidth = 1920 + i;
        p.u32Panelheight = 1080;
        p.u32FrameRateMax = 120;
        p.bSupport48Hz = i & 1;
        p.en3DType = i % 5;
        p.enIntfType = 1;
        p.enLvdsSpreadFreq = i % 4;
        p.enVb1ByteNum = i % 3;
        p.enVb1SpreadFreq = i % 4;
        p.enDivisionType = i % 3;
        p.stTiming60HzPixelClk = 594000000;
        p.u16Timing60HzHsyncFP = 88;
        p.u16HsyncWidth = 44;
        p.u32PanelBackLightPwm = 200;
        p.u8HorAreaNum = 8;
        p.sendI2c = 1;
        p.i2cCmdNum = 3;
        for (int k = 0; k < p.i2cDataArray.length; ++k) p.i2cDataArray[k] = k + i;
        for (int k = 0; k < p.protHeadDataArray.length; ++k) p.protHeadDataArray[k] = 0xA0 + k;
        p.checkSumPos = 7;
        return p;
    }

    private static void check(boolean ok, String what) {
        if (!ok) throw new IllegalStateException(what + " failed");
    }
}
