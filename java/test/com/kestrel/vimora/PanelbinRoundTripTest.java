package com.kestrel.vimora;

import static com.kestrel.vimora.BinFiles.JNI;
import static org.junit.jupiter.api.Assertions.assertArrayEquals;
import static org.junit.jupiter.api.Assertions.assertEquals;

import com.kestrel.vimora.model.DataParam;
import com.kestrel.vimora.model.HeaderParam;
import java.io.IOException;
import java.nio.file.Files;
import java.nio.file.Path;
import java.util.ArrayList;
import java.util.List;
import java.util.Random;
import java.util.concurrent.TimeUnit;
import org.junit.jupiter.api.Test;
import org.junit.jupiter.api.io.TempDir;

/**
 * Files that makePanelBin writes from random values of every field, of
 * both generations, survive panelbin's dump then make byte for byte, and
 * diff calls the two the same. Texts take any UTF-16, lone surrogates too.
 */
class PanelbinRoundTripTest {
    @TempDir Path dir;

    private static final long SEED = 20261217L;

    /** Fewer files where the JVM runs emulated and interpreted. */
    private static int fileCount() {
        return "emulated".equals(System.getProperty("makebin.i386")) ? 12 : 200;
    }

    @Test
    void dumpThenMakeGivesTheSameBytes() throws Exception {
        System.out.println("seed " + SEED + ", " + fileCount() + " files");
        Random random = new Random(SEED);
        Path made = dir.resolve("made.bin");
        Path document = dir.resolve("made.json");
        Path again = dir.resolve("again.bin");
        for (int file = 0; file < fileCount(); ++file) {
            String chip = random.nextBoolean() ? "R120" : "R100";
            DataParam[] panels = new DataParam[random.nextInt(51)];
            for (int i = 0; i < panels.length; ++i) {
                panels[i] = PanelContract.randomPanel(random, i);
                if (random.nextBoolean()) panels[i].chName = anyText(random);
                if (random.nextBoolean()) panels[i].cPqBinPath = anyText(random);
            }
            HeaderParam header = BinFiles.header(PanelContract.randomInt(random),
                    random.nextInt(), PanelContract.randomInt(random), random.nextInt());
            assertEquals(0, JNI.makePanelBin(header, panels, made.toString(), chip));
            String what = "file " + file + " (" + chip + ", " + panels.length + " panels)";
            assertEquals(0, panelbin(document, "dump", made.toString()), what);
            assertEquals(0, panelbin(null, "make", again.toString(), "--from", document.toString()), what);
            assertArrayEquals(Files.readAllBytes(made), Files.readAllBytes(again), what);
            assertEquals(0, panelbin(null, "diff", made.toString(), again.toString()), what);
        }
    }

    /** Up to 60 UTF-16 units of any kind: ASCII, the BMP with surrogates
     * alone, and characters beyond it. */
    private static String anyText(Random random) {
        StringBuilder text = new StringBuilder();
        int count = random.nextInt(61);
        for (int i = 0; i < count; ++i) {
            switch (random.nextInt(3)) {
                case 0:
                    text.append((char) random.nextInt(0x80));
                    break;
                case 1:
                    text.append((char) random.nextInt(0x10000));
                    break;
                default:
                    text.appendCodePoint(0x10000 + random.nextInt(0x100000));
                    break;
            }
        }
        return text.toString();
    }

    /** The tool's exit status; its stdout into {@code out} if given. */
    private int panelbin(Path out, String... args) throws IOException, InterruptedException {
        String path = System.getProperty("makebin.panelbin");
        if (path == null || path.isEmpty()) {
            throw new IllegalStateException("system property makebin.panelbin is not set");
        }
        List<String> command = new ArrayList<>(List.of(path));
        command.addAll(List.of(args));
        ProcessBuilder builder = new ProcessBuilder(command).redirectError(dir.resolve("err.txt").toFile());
        builder.redirectOutput(out != null ? out.toFile() : dir.resolve("out.txt").toFile());
        Process process = builder.start();
        if (!process.waitFor(60, TimeUnit.SECONDS)) {
            process.destroyForcibly();
            throw new AssertionError(String.join(" ", command) + " did not end");
        }
        if (process.exitValue() != 0) {
            System.out.println(String.join(" ", command) + ": " + Files.readString(dir.resolve("err.txt")));
        }
        return process.exitValue();
    }
}
