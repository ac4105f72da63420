package com.kestrel.vimora;

import static com.kestrel.vimora.BinFiles.JNI;
import static org.junit.jupiter.api.Assertions.assertArrayEquals;
import static org.junit.jupiter.api.Assertions.assertEquals;
import static org.junit.jupiter.api.Assertions.assertFalse;
import static org.junit.jupiter.api.Assertions.assertThrows;
import static org.junit.jupiter.api.Assertions.assertTrue;

import com.kestrel.vimora.model.DataParam;
import com.kestrel.vimora.model.HeaderParam;
import java.io.IOException;
import java.nio.file.Files;
import java.nio.file.Path;
import org.junit.jupiter.api.BeforeEach;
import org.junit.jupiter.api.Test;
import org.junit.jupiter.api.io.TempDir;

/** Every way makePanelBin can fail: -1, and the previous file as it was. */
class BinFileWriteFailureTest {
    @TempDir Path dir;
    private Path file;
    private byte[] previous;

    @BeforeEach
    void previousFile() throws IOException {
        file = dir.resolve("panel.bin");
        DataParam old = new DataParam();
        old.chName = "previous";
        assertEquals(0, BinFiles.make(file, new DataParam[] {old}, "R100"));
        previous = Files.readAllBytes(file);
    }

    private void assertUntouched() throws IOException {
        assertArrayEquals(previous, Files.readAllBytes(file));
        try (var entries = Files.list(dir)) {
            assertEquals(1, entries.count(), "only the previous file is there");
        }
    }

    private static DataParam[] one() {
        return new DataParam[] {new DataParam()};
    }

    @Test
    void unusableNameOrChipSeriesIsMinusOne() throws IOException {
        HeaderParam header = BinFiles.header(0, 0, 1, 0);
        assertEquals(-1, JNI.makePanelBin(header, one(), null, "R100"));
        assertEquals(-1, JNI.makePanelBin(header, one(), file.toString(), null));
        assertEquals(-1, JNI.makePanelBin(header, one(), file + "\u0000.x", "R100"));
        assertUntouched();
    }

    @Test
    void nullHeaderArrayOrElementIsMinusOne() throws IOException {
        String name = file.toString();
        assertEquals(-1, JNI.makePanelBin(null, one(), name, "R100"));
        assertEquals(-1, JNI.makePanelBin(BinFiles.header(0, 0, 1, 0), null, name, "R100"));
        DataParam[] withHole = {new DataParam(), null, new DataParam()};
        assertEquals(-1, JNI.makePanelBin(BinFiles.header(0, 0, 3, 0), withHole, name, "R120"));
        assertUntouched();
    }

    @Test
    void missingDirectoryIsMinusOneAndCreatesNothing() throws IOException {
        Path missing = dir.resolve("no-such-dir").resolve("panel.bin");
        assertEquals(-1, BinFiles.make(missing, one(), "R100"));
        assertFalse(Files.exists(missing.getParent()));
        assertEquals(-1, BinFiles.make(dir, one(), "R100")); // a directory is no file
        assertTrue(Files.isDirectory(dir));
        assertUntouched();
    }

    @Test
    void missingOrMistypedFieldLeavesNoSuchFieldErrorForJava() throws IOException {
        String name = file.toString();
        Object[] panels = {new DataParam()};
        NoSuchFieldError header = assertThrows(NoSuchFieldError.class,
                () -> BinFileProbe.makePanelBin(new OddPanels.HeaderWithoutIndex(), panels, name, "R100"));
        assertTrue(header.getMessage().contains("u32Index"), header.getMessage());
        NoSuchFieldError text = assertThrows(NoSuchFieldError.class, () -> BinFileProbe.makePanelBin(
                BinFiles.header(0, 0, 1, 0), new Object[] {new OddPanels.NameAsInt()}, name, "R120"));
        assertTrue(text.getMessage().contains("chName"), text.getMessage());
        assertUntouched();
    }

    @Test
    void aClassNeedsOnlyTheFieldsOfItsGeneration() throws IOException {
        Path other = dir.resolve("r100-only.bin");
        Object[] panels = {new OddPanels.R100Only()};
        NoSuchFieldError error = assertThrows(NoSuchFieldError.class,
                () -> BinFileProbe.makePanelBin(BinFiles.header(0, 0, 1, 0), panels, other.toString(), "R120"));
        assertTrue(error.getMessage().contains("sendI2c"), error.getMessage());
        assertFalse(Files.exists(other));
        assertEquals(0, BinFileProbe.makePanelBin(BinFiles.header(0, 0, 1, 0), panels, other.toString(), "R100"));
        DataParam back = BinFiles.readBody(other, 0, "R100");
        assertEquals("r100 only", back.chName);
        assertEquals("pq/only.bin", back.cPqBinPath);
    }

    // The file size limit stops the write half way through the 819200 bytes.
    @Test
    void writeStoppedHalfWayLeavesThePreviousFile() throws IOException {
        long limit = BinFileProbe.fileSizeLimit();
        assertTrue(BinFileProbe.setFileSizeLimit(300000));
        int result;
        try {
            result = BinFiles.make(file, one(), "R120");
        } finally {
            assertTrue(BinFileProbe.setFileSizeLimit(limit));
        }
        assertEquals(-1, result);
        assertUntouched();
        assertEquals(0, BinFiles.make(file, one(), "R120")); // and the JVM lives on
    }
}
