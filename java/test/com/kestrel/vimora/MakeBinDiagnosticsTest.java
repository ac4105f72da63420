package com.kestrel.vimora;

import static com.kestrel.vimora.BinFiles.JNI;
import static org.junit.jupiter.api.Assertions.assertArrayEquals;
import static org.junit.jupiter.api.Assertions.assertEquals;
import static org.junit.jupiter.api.Assertions.assertNotNull;
import static org.junit.jupiter.api.Assertions.assertNull;
import static org.junit.jupiter.api.Assertions.assertTrue;

import com.kestrel.vimora.jni.MakeBinDiagnostics;
import com.kestrel.vimora.model.DataParam;
import com.kestrel.vimora.model.HeaderParam;
import java.nio.file.Path;
import java.util.Arrays;
import java.util.List;
import java.util.Random;
import java.util.concurrent.Callable;
import java.util.concurrent.CyclicBarrier;
import java.util.concurrent.ExecutorService;
import java.util.concurrent.Executors;
import java.util.concurrent.Future;
import java.util.function.BooleanSupplier;
import org.junit.jupiter.api.BeforeEach;
import org.junit.jupiter.api.Test;
import org.junit.jupiter.api.io.TempDir;

/** Every failed call leaves its reason, naming its cause, for its own thread only. */
class MakeBinDiagnosticsTest {
    @TempDir Path dir;
    private String r100;
    private String r120;
    private DataParam[] panels;

    @BeforeEach
    void files() {
        Random random = new Random(3);
        panels = new DataParam[] {PanelContract.randomPanel(random, 1), PanelContract.randomPanel(random, 2)};
        r100 = dir.resolve("r100.bin").toString();
        r120 = dir.resolve("r120.bin").toString();
        assertEquals(0, make(panels, r100, "R100"));
        assertEquals(0, make(panels, r120, "R120"));
    }

    private int make(DataParam[] given, String file, String chip) {
        return JNI.makePanelBin(BinFiles.header(1, 0x100000, given.length, 0), given, file, chip);
    }

    /** A failing call, and words its reason must hold. */
    private record Case(String name, BooleanSupplier failed, String... words) {}

    @Test
    void eachFailureNamesItsCause() {
        HeaderParam h = BinFiles.header(1, 0, 2, 0);
        DataParam[] tooMany = new DataParam[2000];
        Arrays.fill(tooMany, panels[0]);
        String missingDir = dir.resolve("no-such-dir/t.bin").toString();
        List<Case> cases = List.of(
            new Case("null header", () -> JNI.makePanelBin(null, panels, r100, "R100") == -1, "headerParam is null"),
            new Case("null array", () -> JNI.makePanelBin(h, null, r100, "R100") == -1, "dataParamArray is null"),
            new Case("null element", () -> JNI.makePanelBin(h, new DataParam[] {panels[0], null}, r100, "R100") == -1,
                "dataParamArray[1] is null"),
            new Case("missing folder", () -> JNI.makePanelBin(h, panels, missingDir, "R100") == -1,
                missingDir, "No such file or directory"),
            new Case("null file name", () -> JNI.makePanelBin(h, panels, null, "R100") == -1, "fileName is null"),
            new Case("null chip series", () -> JNI.makePanelBin(h, panels, r100, null) == -1, "chipSeries is null"),
            new Case("2000 panels", () -> JNI.makePanelBin(h, tooMany, r100, "R100") == -1,
                "2000 panels given", "does not fit", "at most"),
            new Case("missing file", () -> JNI.readBinHeader(new HeaderParam(), missingDir, "R100") == null,
                missingDir, "No such file or directory"),
            new Case("null header object", () -> JNI.readBinHeader(null, r100, "R100") == null, "headerParam is null"),
            new Case("null file to read", () -> JNI.readBinBody(new DataParam(), 0, null, "R100") == null,
                "fileName is null"),
            new Case("null panel object", () -> JNI.readBinBody(null, 0, r100, "R100") == null, "dataParam is null"),
            new Case("index 5", () -> JNI.readBinBody(new DataParam(), 5, r100, "R100") == null,
                r100, "no panel 5", "index5"),
            new Case("index -1", () -> JNI.readBinBody(new DataParam(), -1, r100, "R100") == null,
                "panelIndex -1 is negative"),
            new Case("wrong chip series", () -> JNI.readBinBody(new DataParam(), 0, r120, "R100") == null,
                r120, "632 bytes", "another chip series"),
            new Case("port out of range", () -> JNI.startNetConnection("127.0.0.1", 40000) == -1, "port 40000"),
            new Case("no address", () -> JNI.startNetConnection("board.local", 5000) == -1,
                "\"board.local\" is not a dotted IPv4 address"),
            new Case("serial port not open", () -> JNI.startSerialConnection(missingDir, 100, 0, 0, 0, 0, 0) == -1
                    && JNI.writePanelDataToBoard(panels[0], "R100") == -1,
                "writePanelDataToBoard: the serial port is not open"),
            new Case("refused", () -> JNI.startNetConnection("127.0.0.1", 1) == 0
                    && JNI.writePanelDataToBoard(panels[0], "R100") == -1,
                "writePanelDataToBoard: the board: connection refused", "the link said: "));
        for (Case c : cases) {
            assertEquals(0, make(panels, r100, "R100"), c.name());
            assertNull(MakeBinDiagnostics.lastFailure(), "after a success, before " + c.name());
            assertTrue(c.failed().getAsBoolean(), c.name());
            String reason = MakeBinDiagnostics.lastFailure();
            assertNotNull(reason, c.name());
            for (String word : c.words()) {
                assertTrue(reason.contains(word), c.name() + ": \"" + word + "\" not in: " + reason);
            }
        }
    }

    @Test
    void notesNameAChipSeriesTakenAsR100() {
        assertEquals(0, make(panels, r100, "R200"));
        String[] notes = MakeBinDiagnostics.lastNotes();
        assertEquals(1, notes.length, Arrays.toString(notes));
        assertTrue(notes[0].contains("\"R200\""), notes[0]);
        for (String chip : new String[] {"R120", "R100"}) {
            assertEquals(0, make(panels, r100, chip));
            assertArrayEquals(new String[0], MakeBinDiagnostics.lastNotes(), chip);
        }
        assertEquals(0, JNI.makePanelBin(BinFiles.header(1, 0, 7, 0), panels, r100, "R100"));
        assertTrue(MakeBinDiagnostics.lastNotes()[0].contains("7 panels, but 2 were given"));
    }

    @Test
    void twoThreadsFailingAtOnceEachReadTheirOwn() throws Exception {
        CyclicBarrier together = new CyclicBarrier(2);
        Callable<String> noHeader = () -> failRepeatedly(together,
            () -> JNI.makePanelBin(null, panels, r100, "R100") == -1, "headerParam is null");
        Callable<String> noPanel = () -> failRepeatedly(together,
            () -> JNI.readBinBody(new DataParam(), 9, r120, "R120") == null, "no panel 9");
        ExecutorService pool = Executors.newFixedThreadPool(2);
        try {
            List<Future<String>> results = pool.invokeAll(List.of(noHeader, noPanel));
            for (Future<String> result : results) assertNull(result.get());
        } finally {
            pool.shutdownNow();
        }
    }

    /** Null when every one of the calls left its own reason, else what it read instead. */
    private static String failRepeatedly(CyclicBarrier together, BooleanSupplier failed, String words)
            throws Exception {
        for (int i = 0; i < 200; ++i) {
            together.await();
            if (!failed.getAsBoolean()) return "the call did not fail";
            together.await();
            String reason = MakeBinDiagnostics.lastFailure();
            if (reason == null || !reason.contains(words)) return "read: " + reason;
        }
        return null;
    }

    @Test
    void libraryVersionIsThisRelease() {
        assertTrue(MakeBinDiagnostics.libraryVersion().matches("\\d+\\.\\d+\\.\\d+"));
    }
}
