package com.kestrel.vimora;

import static org.junit.jupiter.api.Assertions.assertArrayEquals;
import static org.junit.jupiter.api.Assertions.assertEquals;
import static org.junit.jupiter.api.Assertions.assertFalse;

import com.kestrel.vimora.model.DataParam;
import java.io.IOException;
import java.nio.file.Files;
import java.nio.file.Path;
import org.junit.jupiter.api.io.TempDir;
import org.junit.jupiter.params.ParameterizedTest;
import org.junit.jupiter.params.provider.CsvSource;

/**
 * The largest files: every panel that fits converts (without exhausting the
 * JVM's local references), one more fails and writes nothing.
 */
class BinFileCapacityTest {
    @TempDir Path dir;

    private static DataParam[] panels(int count) {
        DataParam[] panels = new DataParam[count];
        for (int i = 0; i < count; ++i) {
            panels[i] = new DataParam();
            panels[i].chName = "panel " + i;
            panels[i].u32PanelWidth = i;
        }
        return panels;
    }

    @ParameterizedTest
    @CsvSource({"R100, 1599", "R120, 1226"})
    void fullFileFitsAndOneMorePanelDoesNot(String chip, int capacity) throws IOException {
        Path full = dir.resolve("full.bin");
        assertEquals(0, BinFiles.make(full, panels(capacity), chip));
        assertEquals(132 + capacity * (36 + BinFiles.bodySize(chip)), BinFiles.bytes(full).getInt(4));
        DataParam last = BinFiles.readBody(full, capacity - 1, chip);
        assertEquals("panel " + (capacity - 1), last.chName);
        assertEquals(capacity - 1, last.u32PanelWidth);
        assertEquals(null, BinFiles.readBody(full, capacity, chip));

        Path tooMany = dir.resolve("too-many.bin");
        assertEquals(-1, BinFiles.make(tooMany, panels(capacity + 1), chip));
        assertFalse(Files.exists(tooMany));
        byte[] before = Files.readAllBytes(full);
        assertEquals(-1, BinFiles.make(full, panels(capacity + 1), chip));
        assertArrayEquals(before, Files.readAllBytes(full));
        try (var entries = Files.list(dir)) {
            assertEquals(1, entries.count()); // no temporary file left behind
        }
    }
}
