package com.kestrel.vimora.bench;

import com.kestrel.vimora.jni.JNIMakeBin;
import com.kestrel.vimora.model.DataParam;
import com.kestrel.vimora.model.HeaderParam;
import java.io.IOException;
import java.nio.file.Files;
import java.nio.file.Path;

/**
 * Times the bin-file methods on the largest files: makePanelBin of a full
 * file, and readBinBody of every panel in it. Prints milliseconds per call.
 */
public final class Bench {
    private static final int MAKE_RUNS = 10;

    private Bench() {}

    public static void main(String[] args) throws IOException {
        JNIMakeBin jni = new JNIMakeBin();
        Path dir = Files.createTempDirectory("makebin-bench");
        try {
            run(jni, dir, "R100", 1599);
            run(jni, dir, "R120", 1226);
        } finally {
            try (var files = Files.list(dir)) {
                for (Path p : files.toArray(Path[]::new)) Files.delete(p);
            }
            Files.delete(dir);
        }
    }

    private static void run(JNIMakeBin jni, Path dir, String chip, int count) {
        DataParam[] panels = new DataParam[count];
        for (int i = 0; i < count; ++i) panels[i] = panel(i);
        HeaderParam header = new HeaderParam();
        header.u32TotalNum = count;
        String file = dir.resolve("bench-" + chip + ".bin").toString();

        for (int i = 0; i < 3; ++i) check(jni.makePanelBin(header, panels, file, chip) == 0, "warm-up make");
        long start = System.nanoTime();
        for (int i = 0; i < MAKE_RUNS; ++i) check(jni.makePanelBin(header, panels, file, chip) == 0, "make");
        double makeMs = (System.nanoTime() - start) / 1e6 / MAKE_RUNS;

        DataParam target = new DataParam();
        for (int i = 0; i < 50; ++i) check(jni.readBinBody(target, i, file, chip) != null, "warm-up read");
        start = System.nanoTime();
        for (int i = 0; i < count; ++i) {
            check(jni.readBinBody(target, i, file, chip) == target && target.u32PanelWidth == 1920 + i, "read");
        }
        double readMs = (System.nanoTime() - start) / 1e6 / count;

        System.out.printf("%s: makePanelBin(%d panels) %.2f ms/call (mean of %d); "
                + "readBinBody %.3f ms/call (each of the %d panels)%n",
                chip, count, makeMs, MAKE_RUNS, readMs, count);
    }

    private static DataParam panel(int i) {
        DataParam p = new DataParam();
        p.chName = "bench panel " + i;
        p.cPqBinPath = "/pq/bench_" + i + ".bin";
        p.u32PanelWidth = 1920 + i;
        p.u32Panelheight = 1080;
        p.enIntfType = 1;
        p.enVb1ByteNum = 1;
        for (int k = 0; k < p.i2cDataArray.length; ++k) p.i2cDataArray[k] = k;
        return p;
    }

    private static void check(boolean ok, String what) {
        if (!ok) throw new IllegalStateException(what + " failed");
    }
}
