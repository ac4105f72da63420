package com.kestrel.vimora.bench;

import com.kestrel.vimora.jni.JNIMakeBin;
import com.kestrel.vimora.model.DataParam;
import com.kestrel.vimora.model.HeaderParam;
import java.io.IOException;
import java.nio.file.Files;
import java.nio.file.Path;

/**
 * One bin-file operation over and over, for a profiler to watch:
 * {@code Repeat make|readall|first|last|header R100|R120 SECONDS}. The file lives in
 * /dev/shm and is removed at the end.
 */
public final class Repeat {
    private Repeat() {}

    public static void main(String[] args) throws IOException {
        String op = args[0];
        String chip = args[1];
        long until = System.nanoTime() + (long) (Double.parseDouble(args[2]) * 1e9);
        int count = chip.equals("R120") ? 1226 : 1599;
        DataParam[] panels = new DataParam[count];
        for (int i = 0; i < count; ++i) {
            panels[i] = new DataParam();
            panels[i].chName = "panel " + i;
            panels[i].cPqBinPath = "/pq/" + i + ".bin";
            panels[i].u32PanelWidth = i;
        }
        HeaderParam header = new HeaderParam();
        JNIMakeBin jni = new JNIMakeBin();
        Path file = Files.createTempFile(Path.of("/dev/shm"), "repeat", ".bin");
        String name = file.toString();
        long calls = 0;
        try {
            if (jni.makePanelBin(header, panels, name, chip) != 0) throw new IllegalStateException("make");
            DataParam target = new DataParam();
            while (System.nanoTime() < until) {
                switch (op) {
                    case "make" -> jni.makePanelBin(header, panels, name, chip);
                    case "readall" -> {
                        for (int i = 0; i < count; ++i) jni.readBinBody(target, i, name, chip);
                    }
                    case "first" -> jni.readBinBody(target, 0, name, chip);
                    case "last" -> jni.readBinBody(target, count - 1, name, chip);
                    case "header" -> jni.readBinHeader(header, name, chip);
                    default -> throw new IllegalArgumentException(op);
                }
                ++calls;
            }
        } finally {
            Files.delete(file);
        }
        System.out.println(op + " " + chip + ": " + calls + " rounds");
    }
}
