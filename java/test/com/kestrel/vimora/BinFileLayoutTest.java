package com.kestrel.vimora;

import static com.kestrel.vimora.BinFiles.FILE_SIZE;
import static org.junit.jupiter.api.Assertions.assertEquals;

import com.kestrel.vimora.model.DataParam;
import java.io.IOException;
import java.nio.ByteBuffer;
import java.nio.charset.StandardCharsets;
import java.nio.file.Files;
import java.nio.file.Path;
import org.junit.jupiter.api.io.TempDir;
import org.junit.jupiter.params.ParameterizedTest;
import org.junit.jupiter.params.provider.CsvSource;
import org.junit.jupiter.params.provider.ValueSource;

/** The bytes of a bin file at the offsets a board reads them from. */
class BinFileLayoutTest {
    @TempDir Path dir;

    private static DataParam panel(int serial) {
        DataParam p = new DataParam();
        p.chName = "P" + serial;
        p.u32PanelWidth = 3840 + serial;
        p.i2cDataArray = new int[10 - 3 * serial]; // shorter for every later panel
        java.util.Arrays.fill(p.i2cDataArray, 0x5A);
        return p;
    }

    @ParameterizedTest
    @CsvSource({"R100, 0", "R100, 1", "R100, 3", "R120, 0", "R120, 1", "R120, 3"})
    void containerLayout(String chip, int count) throws IOException {
        DataParam[] panels = new DataParam[count];
        for (int i = 0; i < count; ++i) panels[i] = panel(i);
        Path file = dir.resolve("layout.bin");
        Files.write(file, new byte[FILE_SIZE + 4096]); // a longer file is replaced, not overlaid
        assertEquals(0, BinFiles.make(file, panels, chip));

        ByteBuffer b = BinFiles.bytes(file);
        int body = BinFiles.bodySize(chip);
        int used = 132 + count * (36 + body);
        assertEquals(FILE_SIZE, b.capacity());
        assertEquals(0x00232323, b.getInt(0));
        assertEquals(used, b.getInt(4));
        assertEquals("panelheader", BinFiles.name(b, 8, 32));
        assertEquals(52, b.getInt(40));
        assertEquals("header", BinFiles.name(b, 44, 32));
        assertEquals(16, b.getInt(76));
        assertEquals(1, b.getInt(80));
        assertEquals(0x100000, b.getInt(84));
        assertEquals(count, b.getInt(88));
        assertEquals("paneldatabody", BinFiles.name(b, 96, 32));
        assertEquals(count * (36 + body), b.getInt(128));
        for (int i = 0; i < count; ++i) {
            int key = 132 + i * (36 + body);
            assertEquals("index" + i, BinFiles.name(b, key, 32));
            assertEquals(body, b.getInt(key + 32));
            assertEquals("P" + i, BinFiles.name(b, key + 36, 48));
            assertEquals(3840 + i, b.getInt(key + 36 + 48));
        }
        // One assertion on the first stray byte: an assertion per byte costs
        // minutes on an interpreted JVM.
        int stray = used;
        while (stray < FILE_SIZE && b.get(stray) == 0) ++stray;
        assertEquals(FILE_SIZE, stray, "first non-zero byte after the used region");
    }

    @ParameterizedTest
    @ValueSource(strings = {"R100", "R120"})
    void reservedWordsAreFfAndUnwrittenBytesZero(String chip) {
        Path file = dir.resolve("reserved.bin");
        assertEquals(0, BinFiles.make(file, new DataParam[] {panel(0), panel(1), panel(2)}, chip));
        ByteBuffer b = BinFiles.bytes(file);
        boolean r120 = "R120".equals(chip);
        int body = BinFiles.bodySize(chip);
        int[][] reserved = r120 ? new int[][] {{284, 80}, {592, 40}} : new int[][] {{304, 20}, {436, 40}};
        for (int i = 0; i < 3; ++i) {
            int at = 168 + i * (36 + body);
            for (int[] r : reserved) {
                for (int k = 0; k < r[1]; ++k) assertEquals((byte) 0xFF, b.get(at + r[0] + k));
            }
            if (r120) {
                // A shorter array leaves zeros, not the previous panel's bytes.
                int i2c = at + 364 + 28;
                for (int k = 0; k < 120; ++k) {
                    assertEquals(k < 10 - 3 * i ? 0x5A : 0, b.get(i2c + k) & 0xFF, "panel " + i + " i2c " + k);
                }
                assertEquals(0, b.get(at + 364 + 215), "padding byte");
            }
        }
    }

    @ParameterizedTest
    @ValueSource(strings = {"R100", "R120"})
    void valuesAreStoredTruncatedTranslatedAndInPlace(String chip) {
        DataParam p = new DataParam();
        p.chName = "ABC";
        p.u32PanelWidth = -1;
        p.u16HsyncWidth = 70000;
        p.bSupport48Hz = 2;
        p.bHSyncOutput = 1;
        p.enVb1ByteNum = 0;
        p.en3DType = 4;
        p.enDataMode = -1;
        p.enTimmingChangeType = 9;
        p.enDivisionType = 3;
        p.u32PanelBackLightPwm = 0x12345678;
        p.cPqBinPath = "pq/panel_ü.bin";
        p.u8HorAreaNum = 300;
        p.checkSumPos = 300;
        p.gpioDataSingleArray = new int[24];
        for (int i = 0; i < 24; ++i) p.gpioDataSingleArray[i] = i + 1;
        p.ldmActNumSingleArray = new int[] {1, 2, 3, 4, 5}; // the rest of the 12 stay 0
        p.protHeadDataArray = new int[] {1, 2, 3, 4, 5, 6, 7, 8};
        p.protTailDataArray = new int[] {0x1FF, -1, 3};
        Path file = dir.resolve("values.bin");
        assertEquals(0, BinFiles.make(file, new DataParam[] {p}, chip));
        ByteBuffer b = BinFiles.bytes(file);
        int at = 168;
        boolean r120 = "R120".equals(chip);

        assertEquals("ABC", BinFiles.name(b, at, 48));
        assertEquals(0xFFFFFFFF, b.getInt(at + 48));
        assertEquals(0, b.getInt(at + 60)); // flag 2 is false
        assertEquals(9, b.getInt(at + 64)); // 3D identifier 4 is PR_RL, value 9
        assertEquals((short) 4464, b.getShort(at + 208));
        assertEquals(1, b.getInt(at + 212));
        assertEquals(7, b.getInt(at + 120 + 16)); // data mode fallback
        assertEquals(3, b.getInt(at + 120 + 20)); // byte mode identifier 0 -> 3 bytes
        assertEquals(9, b.getInt(at + (r120 ? 276 : 292)));
        assertEquals(3, b.getInt(at + (r120 ? 272 : 300)));
        assertEquals(0x12345678, b.getInt(at + (r120 ? 580 : 424)));
        if (!r120) {
            byte[] path = "pq/panel_ü.bin".getBytes(StandardCharsets.UTF_8);
            for (int i = 0; i < path.length; ++i) assertEquals(path[i], b.get(at + 324 + i));
            assertEquals(0, b.get(at + 324 + path.length));
            assertEquals(300, b.getInt(at + 276));
            return;
        }
        int adv = at + 364;
        assertEquals(44, b.get(adv + 196));
        for (int i = 0; i < 24; ++i) assertEquals(i + 1, b.get(adv + 152 + i), "gpio " + i);
        for (int i = 0; i < 12; ++i) assertEquals(i < 5 ? i + 1 : 0, b.get(adv + 180 + i), "ldm " + i);
        for (int i = 0; i < 8; ++i) assertEquals(i + 1, b.get(adv + 199 + i), "head " + i);
        int[] tail = {0xFF, 0xFF, 3, 0, 0, 0, 0, 0};
        for (int i = 0; i < 8; ++i) assertEquals(tail[i], b.get(adv + 207 + i) & 0xFF, "tail " + i);
    }
}
