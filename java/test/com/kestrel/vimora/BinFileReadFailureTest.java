package com.kestrel.vimora;

import static com.kestrel.vimora.BinFiles.JNI;
import static org.junit.jupiter.api.Assertions.assertEquals;
import static org.junit.jupiter.api.Assertions.assertNotNull;
import static org.junit.jupiter.api.Assertions.assertNull;
import static org.junit.jupiter.api.Assertions.assertTimeoutPreemptively;

import com.kestrel.vimora.model.DataParam;
import com.kestrel.vimora.model.HeaderParam;
import java.io.IOException;
import java.nio.file.Files;
import java.nio.file.Path;
import java.time.Duration;
import java.util.Arrays;
import java.util.Random;
import org.junit.jupiter.api.BeforeEach;
import org.junit.jupiter.api.Test;
import org.junit.jupiter.api.io.TempDir;

/** Files and arguments the readers refuse with null, leaving the object as it was. */
class BinFileReadFailureTest {
    @TempDir Path dir;
    private Path r100;
    private Path r120;

    @BeforeEach
    void files() {
        r100 = dir.resolve("r100.bin");
        r120 = dir.resolve("r120.bin");
        Random random = new Random(7);
        DataParam[] panels = {PanelContract.randomPanel(random, 4), PanelContract.randomPanel(random, 5),
            PanelContract.randomPanel(random, 6)};
        assertEquals(0, BinFiles.make(r100, panels, "R100"));
        assertEquals(0, BinFiles.make(r120, panels, "R120"));
    }

    /** Reads with a target full of sentinels and asserts null and an untouched target. */
    private static void assertRefused(Path file, int index, String chip) {
        DataParam target = PanelContract.randomPanel(new Random(99), 9);
        DataParam before = BinFiles.copy(target);
        assertNull(JNI.readBinBody(target, index, file == null ? null : file.toString(), chip));
        for (java.lang.reflect.Field f : DataParam.class.getFields()) {
            Object a = BinFiles.get(before, f.getName());
            Object b = BinFiles.get(target, f.getName());
            if (a instanceof int[]) {
                assertEquals(Arrays.toString((int[]) a), Arrays.toString((int[]) b), f.getName());
            } else {
                assertEquals(a, b, f.getName());
            }
        }
    }

    private static void assertHeaderRefused(Path file, String chip) {
        HeaderParam header = BinFiles.header(5, 6, 7, 8);
        assertNull(JNI.readBinHeader(header, file == null ? null : file.toString(), chip));
        assertEquals(5, header.enMedia);
        assertEquals(8, header.u32Index);
    }

    @Test
    void indexWithoutAPanel() {
        assertRefused(r100, 3, "R100");
        assertRefused(r100, -1, "R100");
        assertRefused(r100, Integer.MIN_VALUE, "R100");
        assertNotNull(BinFiles.readBody(r100, 2, "R100"));
    }

    // A body read as the other generation would be assembled from its
    // neighbours' bytes: refused by its stored size.
    @Test
    void wrongGenerationForTheFile() {
        assertRefused(r100, 0, "R120");
        assertRefused(r120, 0, "R100");
        assertRefused(r120, 0, "R1200"); // anything but R120 exactly is R100
        assertNotNull(JNI.readBinHeader(new HeaderParam(), r100.toString(), "R120"));
    }

    @Test
    void missingArgumentsOrFiles() {
        assertRefused(null, 0, "R100");
        assertRefused(r100, 0, null);
        assertRefused(dir.resolve("missing.bin"), 0, "R100");
        assertRefused(dir, 0, "R100");
        assertNull(JNI.readBinBody(null, 0, r100.toString(), "R100"));
        assertHeaderRefused(null, "R100");
        assertHeaderRefused(r100, null);
        assertHeaderRefused(dir.resolve("missing.bin"), "R100");
        assertNull(JNI.readBinHeader(null, r100.toString(), "R100"));
    }

    @Test
    void objectsOfAnotherClass() {
        Object stranger = new OddPanels.NameAsInt();
        assertNull(BinFileProbe.readBinBody(stranger, 0, r100.toString(), "R100"));
        assertNull(BinFileProbe.readBinHeader(new DataParam(), r100.toString(), "R100"));
        assertNull(BinFileProbe.readBinBody(new HeaderParam(), 0, r120.toString(), "R120"));
    }

    /** A FIFO with no writer would hold an ordinary open for ever. */
    @Test
    void aFifoIsRefusedAtOnce() throws IOException, InterruptedException {
        Path fifo = dir.resolve("fifo");
        assertEquals(0, new ProcessBuilder("mkfifo", fifo.toString()).inheritIO().start().waitFor());
        assertTimeoutPreemptively(Duration.ofSeconds(1), () -> {
            assertHeaderRefused(fifo, "R100");
            assertRefused(fifo, 0, "R100");
        });
    }

    @Test
    void emptyZeroWrongMagicAndTruncatedFiles() throws IOException {
        Path zeros = Files.write(dir.resolve("zeros.bin"), new byte[BinFiles.FILE_SIZE]);
        Path empty = Files.write(dir.resolve("empty.bin"), new byte[0]);
        Path magic = Files.copy(r100, dir.resolve("magic.bin"));
        BinFiles.patch(magic, 0, (byte) '#', (byte) '#', (byte) '!');
        byte[] all = Files.readAllBytes(r100);
        Path header = Files.write(dir.resolve("header-only.bin"), Arrays.copyOf(all, 100));
        for (Path bad : new Path[] {zeros, empty, magic, header}) {
            assertRefused(bad, 0, "R100");
        }
        for (Path bad : new Path[] {zeros, empty, magic}) assertHeaderRefused(bad, "R100");
        // Cut after the bytes in use, the file still reads in full.
        int used = BinFiles.bytes(r100).getInt(4);
        Path cut = Files.write(dir.resolve("cut.bin"), Arrays.copyOf(all, used));
        DataParam fromCut = BinFiles.readBody(cut, 2, "R100");
        DataParam fromFull = BinFiles.readBody(r100, 2, "R100");
        assertNotNull(fromCut);
        assertEquals(fromFull.chName, fromCut.chName);
        assertEquals(fromFull.u32BlPwmUserMax, fromCut.u32BlPwmUserMax);
    }

    @Test
    void damagedSizes() throws IOException {
        Path oversized = Files.copy(r100, dir.resolve("oversized.bin"));
        BinFiles.patchInt(oversized, 4, BinFiles.FILE_SIZE + 1);
        assertRefused(oversized, 0, "R100");
        assertHeaderRefused(oversized, "R100");
        Path table = Files.copy(r100, dir.resolve("table.bin"));
        BinFiles.patchInt(table, 128, 0x7FFFFFFF);
        assertRefused(table, 0, "R100");
        Path shortHeader = Files.copy(r120, dir.resolve("short-header.bin"));
        BinFiles.patchInt(shortHeader, 76, 12); // the header value is no longer 16 bytes
        assertHeaderRefused(shortHeader, "R120");
    }

    // Bytes that are no modified UTF-8 (a file from elsewhere) still read.
    @Test
    void namesThatAreNoValidText() {
        int name = 168;
        BinFiles.patch(r100, name, (byte) 'A', (byte) 0xFF, (byte) 0xC3, (byte) '(', (byte) 0xED,
                (byte) 0xA0, (byte) 0x80, (byte) 0xF0, (byte) 0x9F, (byte) 0x93, (byte) 0xBA, (byte) 0x80, (byte) 0);
        DataParam back = BinFiles.readBody(r100, 0, "R100");
        assertEquals("A\uFFFD\uFFFD(\uD800\uD83D\uDCFA\uFFFD", back.chName);
        byte[] noZero = new byte[48];
        Arrays.fill(noZero, (byte) 'x');
        BinFiles.patch(r100, name, noZero);
        assertEquals("x".repeat(48), BinFiles.readBody(r100, 0, "R100").chName);
    }
}
