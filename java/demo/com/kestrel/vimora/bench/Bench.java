package com.kestrel.vimora.bench;

import com.kestrel.vimora.jni.JNIMakeBin;
import com.kestrel.vimora.model.DataParam;
import com.kestrel.vimora.model.HeaderParam;
import java.io.BufferedReader;
import java.io.IOException;
import java.io.InputStreamReader;
import java.lang.management.ManagementFactory;
import java.nio.charset.StandardCharsets;
import java.nio.file.Files;
import java.nio.file.Path;
import java.util.ArrayList;
import java.util.Arrays;
import java.util.List;
import java.util.Objects;

/**
 * Times the bin-file methods on the largest files of both generations
 * against {@link PlainBinFile}, a tight plain-Java writer and reader of the
 * same format: makePanelBin of a full file, in a warm JVM and in young ones
 * (a fresh JVM per sample, its first calls timed); the whole-file read a
 * GUI does (readBinHeader, then readBinBody of every panel) of a file
 * written a moment ago, warm and young; that read's cost per panel at 10,
 * 100, 1000 and all panels; readBinBody of the first and of the last
 * panel, and readBinHeader. Before timing, both writers must have written
 * byte-identical files and both readers must agree on every panel. Both
 * sides run in turns, so that
 * they meet the same load. Prints the median time per call of each side
 * and their ratio (library / plain Java; below 1 the library is faster).
 *
 * Arguments: the folders to run in (default: /dev/shm, or the temporary
 * folder). A folder on a disk pays the disk's syncs in every make, so its
 * makes run fewer times.
 */
public final class Bench {
    private static final int MAKE_WARMUP = 150;
    private static final int MAKE_RUNS = 60;
    private static final int DISK_MAKE_WARMUP = 10;
    private static final int DISK_MAKE_RUNS = 21;
    private static final int READ_ALL_WARMUP = 5;
    private static final int READ_ALL_RUNS = 11;
    private static final int SINGLE_BATCH = 400;
    private static final int SINGLE_RUNS = 9;
    /** Fresh JVMs per young figure, and the calls each times. */
    private static final int YOUNG_JVMS = 5;
    private static final int YOUNG_CALLS = 5;
    private static final int[] PER_PANEL_COUNTS = {10, 100, 1000};

    private final JNIMakeBin jni = new JNIMakeBin();

    private Bench() {}

    public static void main(String[] args) throws IOException, InterruptedException {
        if (args.length > 0 && args[0].equals("--young")) {
            young(args);
            return;
        }
        boolean i386 = "32".equals(System.getProperty("sun.arch.data.model"));
        List<Path> roots = new ArrayList<>();
        for (String arg : args) roots.add(Path.of(arg));
        if (roots.isEmpty()) roots.add(defaultRoot());
        Bench bench = new Bench();
        for (Path root : roots) {
            Path dir = Files.createTempDirectory(root, "makebin-bench");
            boolean tmpfs = Files.getFileStore(dir).type().equals("tmpfs");
            System.out.printf("%s JVM (%s-bit), files in %s (%s)%s%n", System.getProperty("os.arch"),
                    System.getProperty("sun.arch.data.model"), root, Files.getFileStore(dir).type(),
                    i386 && "emulated".equals(System.getProperty("makebin.i386"))
                            ? "  (emulated i386: not comparable with native figures)" : "");
            System.out.printf("%-40s %14s %14s %8s%n", "operation", "library", "plain Java", "ratio");
            try {
                bench.run(dir, "R100", 1599, tmpfs);
                bench.run(dir, "R120", 1226, tmpfs);
            } finally {
                try (var files = Files.list(dir)) {
                    for (Path p : files.toArray(Path[]::new)) Files.delete(p);
                }
                Files.delete(dir);
            }
        }
    }

    /** tmpfs where there is one, so that the figures measure the code, not a disk. */
    private static Path defaultRoot() {
        Path shm = Path.of("/dev/shm");
        if (Files.isDirectory(shm) && Files.isWritable(shm)) return shm;
        return Path.of(System.getProperty("java.io.tmpdir"));
    }

    private interface Call {
        void run() throws IOException;
    }

    private void run(Path dir, String chip, int count, boolean tmpfs)
            throws IOException, InterruptedException {
        boolean r120 = chip.equals("R120");
        DataParam[] panels = panels(count);
        HeaderParam header = header(count);
        String lib = dir.resolve("library-" + chip + ".bin").toString();
        Path plain = dir.resolve("plain-" + chip + ".bin");

        check(jni.makePanelBin(header, panels, lib, chip) == 0, "makePanelBin");
        PlainBinFile.write(plain, header, panels, r120);
        sameBytes(Path.of(lib), plain);
        sameReads(lib, plain, chip, count, r120);

        double[] make = medians(tmpfs ? MAKE_WARMUP : DISK_MAKE_WARMUP, tmpfs ? MAKE_RUNS : DISK_MAKE_RUNS, 1,
                () -> check(jni.makePanelBin(header, panels, lib, chip) == 0, "make"),
                () -> PlainBinFile.write(plain, header, panels, r120));
        row(String.format("makePanelBin, %d %s panels", count, chip), make, "ms");
        row("  in a young JVM", youngMedians("make", chip, count, lib, plain), "ms");

        check(jni.makePanelBin(header, panels, lib, chip) == 0, "makePanelBin");
        PlainBinFile.write(plain, header, panels, r120);
        double[] all = medians(READ_ALL_WARMUP, READ_ALL_RUNS, 1, readAll(lib, chip, count),
                readAllPlain(plain, count, r120));
        row("whole-file read, just written", all, "ms");
        row("  in a young JVM", youngMedians("read", chip, count, lib, plain), "ms");

        String[] perPanelLib = new String[PER_PANEL_COUNTS.length];
        Path[] perPanelPlain = new Path[PER_PANEL_COUNTS.length];
        for (int k = 0; k < PER_PANEL_COUNTS.length; ++k) {
            int n = PER_PANEL_COUNTS[k];
            perPanelLib[k] = dir.resolve("library-" + chip + "-" + n + ".bin").toString();
            perPanelPlain[k] = dir.resolve("plain-" + chip + "-" + n + ".bin");
            check(jni.makePanelBin(header(n), panels(n), perPanelLib[k], chip) == 0, "makePanelBin");
            PlainBinFile.write(perPanelPlain[k], header(n), panels(n), r120);
        }
        for (int k = 0; k < PER_PANEL_COUNTS.length; ++k) {
            int n = PER_PANEL_COUNTS[k];
            double[] each = medians(READ_ALL_WARMUP, READ_ALL_RUNS, n, readAll(perPanelLib[k], chip, n),
                    readAllPlain(perPanelPlain[k], n, r120));
            row(String.format("  per panel, %d panels", n), each, "us");
        }
        row(String.format("  per panel, %d panels", count), new double[] {all[0] / count, all[1] / count}, "us");

        DataParam target = new DataParam();
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

    /** What a GUI opening a file does: the header, then every panel. */
    private Call readAll(String lib, String chip, int count) {
        HeaderParam h = new HeaderParam();
        DataParam target = new DataParam();
        return () -> {
            check(jni.readBinHeader(h, lib, chip) == h && h.u32TotalNum == count, "header");
            for (int i = 0; i < count; ++i) {
                check(jni.readBinBody(target, i, lib, chip) == target
                        && target.u32PanelWidth == 1920 + i, "read");
            }
        };
    }

    private static Call readAllPlain(Path plain, int count, boolean r120) {
        HeaderParam h = new HeaderParam();
        DataParam target = new DataParam();
        return () -> {
            check(PlainBinFile.readHeader(plain, h) == h && h.u32TotalNum == count, "plain header");
            for (int i = 0; i < count; ++i) {
                check(PlainBinFile.readBody(plain, i, r120, target) == target
                        && target.u32PanelWidth == 1920 + i, "plain read");
            }
        };
    }

    /**
     * Medians over YOUNG_JVMS fresh JVMs of this one's kind, each timing its
     * first YOUNG_CALLS calls of the operation in turns: "make" writes files
     * of its own beside these, "read" reads these two files.
     */
    private static double[] youngMedians(String operation, String chip, int count, String libFile, Path plainFile)
            throws IOException, InterruptedException {
        double[] lib = new double[YOUNG_JVMS];
        double[] java = new double[YOUNG_JVMS];
        List<String> command = new ArrayList<>();
        command.add(ProcessHandle.current().info().command().orElse("java"));
        command.addAll(ManagementFactory.getRuntimeMXBean().getInputArguments());
        command.addAll(List.of("-cp", System.getProperty("java.class.path"), Bench.class.getName(),
                "--young", operation, chip, Integer.toString(count), libFile, plainFile.toString()));
        for (int k = 0; k < YOUNG_JVMS; ++k) {
            Process child = new ProcessBuilder(command).redirectErrorStream(true).start();
            String line;
            StringBuilder output = new StringBuilder();
            try (BufferedReader out = new BufferedReader(
                    new InputStreamReader(child.getInputStream(), StandardCharsets.UTF_8))) {
                while ((line = out.readLine()) != null) output.append(line).append('\n');
            }
            check(child.waitFor() == 0, "young JVM: " + output);
            String[] figures = output.toString().trim().split("\\s+");
            lib[k] = Double.parseDouble(figures[figures.length - 2]);
            java[k] = Double.parseDouble(figures[figures.length - 1]);
        }
        Arrays.sort(lib);
        Arrays.sort(java);
        return new double[] {lib[YOUNG_JVMS / 2], java[YOUNG_JVMS / 2]};
    }

    /** In a fresh JVM: prints the medians (ms) of its first calls of each side. */
    private static void young(String[] args) throws IOException {
        String operation = args[1];
        String chip = args[2];
        int count = Integer.parseInt(args[3]);
        boolean r120 = chip.equals("R120");
        Bench bench = new Bench();
        Call library;
        Call java;
        if (operation.equals("read")) {
            library = bench.readAll(args[4], chip, count);
            java = readAllPlain(Path.of(args[5]), count, r120);
            double[] medians = medians(0, YOUNG_CALLS, 1, library, java);
            System.out.printf("%.6f %.6f%n", medians[0], medians[1]);
            return;
        }
        DataParam[] panels = panels(count);
        HeaderParam header = header(count);
        long id = ProcessHandle.current().pid();
        String lib = args[4] + ".young-" + id;
        Path plain = Path.of(args[5] + ".young-" + id);
        try {
            library = () -> check(bench.jni.makePanelBin(header, panels, lib, chip) == 0, "make");
            java = () -> PlainBinFile.write(plain, header, panels, r120);
            double[] medians = medians(0, YOUNG_CALLS, 1, library, java);
            System.out.printf("%.6f %.6f%n", medians[0], medians[1]);
        } finally {
            Files.deleteIfExists(Path.of(lib));
            Files.deleteIfExists(plain);
        }
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
        String format = unit.equals("ms") ? "%10.3f %s" : "%10.2f %s";
        System.out.printf("%-40s %14s %14s %7.2fx%n", what,
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

    /** Both readers give the same header and the same panel for every index. */
    private void sameReads(String lib, Path plain, String chip, int count, boolean r120) throws IOException {
        HeaderParam x = jni.readBinHeader(new HeaderParam(), lib, chip);
        HeaderParam y = PlainBinFile.readHeader(plain, new HeaderParam());
        check(x != null && y != null && x.enMedia == y.enMedia && x.u32Addr == y.u32Addr
                && x.u32TotalNum == y.u32TotalNum && x.u32Index == y.u32Index, "both readers agree on the header");
        for (int i = 0; i < count; ++i) {
            DataParam a = jni.readBinBody(new DataParam(), i, lib, chip);
            DataParam b = PlainBinFile.readBody(plain, i, r120, new DataParam());
            check(a != null && b != null && samePanel(a, b), "both readers agree on panel " + i);
        }
        check(jni.readBinBody(new DataParam(), count, lib, chip) == null
                && PlainBinFile.readBody(plain, count, r120, new DataParam()) == null,
                "both readers find no panel past the last");
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

    private static HeaderParam header(int count) {
        HeaderParam header = new HeaderParam();
        header.enMedia = 1;
        header.u32Addr = 0x100000;
        header.u32TotalNum = count;
        return header;
    }

    private static DataParam[] panels(int count) {
        DataParam[] panels = new DataParam[count];
        for (int i = 0; i < count; ++i) panels[i] = panel(i);
        return panels;
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
