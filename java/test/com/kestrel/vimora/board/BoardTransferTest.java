package com.kestrel.vimora.board;

import static org.junit.jupiter.api.Assertions.assertArrayEquals;
import static org.junit.jupiter.api.Assertions.assertEquals;
import static org.junit.jupiter.api.Assertions.assertNotNull;
import static org.junit.jupiter.api.Assertions.assertThrows;
import static org.junit.jupiter.api.Assertions.assertTrue;

import com.kestrel.vimora.BinFiles;
import com.kestrel.vimora.jni.JNIMakeBin;
import com.kestrel.vimora.model.DataParam;
import java.io.IOException;
import java.lang.reflect.Field;
import java.nio.charset.StandardCharsets;
import java.nio.file.Files;
import java.nio.file.Path;
import java.util.Arrays;
import java.util.List;
import java.util.function.Predicate;
import org.junit.jupiter.api.AfterEach;
import org.junit.jupiter.api.Test;
import org.junit.jupiter.api.io.TempDir;

/** One panel to a board and back, against the board simulator. */
class BoardTransferTest {
    static {
        System.loadLibrary("makebintest");
    }

    /** Calls writePanelDataToBoard with any object, to reach classes that lack fields. */
    static native int writeAny(Object dataParam, String chipSeries);

    /** Calls readPanelDataFromBoard with any object. */
    static native int readAny(Object dataParam, String chipSeries);

    private static final int PANEL = 0x8000;
    private static final int HEADER = 12;
    private static final int IMAGE = HEADER + 4; // panel info image within a write frame

    private final JNIMakeBin jni = new JNIMakeBin();
    @TempDir Path dir;
    private BoardSim sim;

    @AfterEach
    void tearDown() {
        jni.endConnection();
        if (sim != null) {
            sim.close();
        }
    }

    private BoardSim overTcp(String... options) throws IOException {
        sim = new BoardSim(dir, options);
        assertEquals(0, jni.startNetConnection("127.0.0.1", sim.port));
        return sim;
    }

    private BoardSim overSerial(String... options) throws IOException {
        sim = new BoardSim(dir, options);
        assertEquals(0, jni.startSerialConnection(sim.pty, 5000, 9600, 7, 2, 1, 1));
        return sim;
    }

    private static byte[] last(List<byte[]> frames) {
        assertTrue(frames.size() > 0, "no panel frame reached the board");
        return frames.get(frames.size() - 1);
    }

    private static void assertHeader(byte[] frame, int dataLength) {
        assertEquals(HEADER + dataLength + 4, frame.length);
        assertEquals("KSTV", new String(frame, 0, 4, StandardCharsets.US_ASCII));
        assertEquals(PANEL, Wire.u16(frame, 4));
        assertEquals(dataLength, Wire.u16(frame, 6));
        assertEquals(Wire.byteSum(frame, 0, 8), Wire.u32(frame, 8) & 0xFFFFFFFFL);
        assertEquals(Wire.byteSum(frame, HEADER, HEADER + dataLength),
                Wire.u32(frame, HEADER + dataLength) & 0xFFFFFFFFL);
    }

    private static void assertFields(DataParam expected, DataParam actual, Predicate<String> which)
            throws IllegalAccessException {
        for (Field f : DataParam.class.getDeclaredFields()) {
            if (!which.test(f.getName())) {
                continue;
            }
            Object e = f.get(expected);
            Object a = f.get(actual);
            if (e instanceof int[]) {
                assertArrayEquals((int[]) e, (int[]) a, f.getName());
            } else {
                assertEquals(e, a, f.getName());
            }
        }
    }

    private static Predicate<String> panelInfo(boolean r120) {
        return name -> !Panels.OUTSIDE_PANEL_INFO.contains(name)
                && !(r120 && Panels.R100_ONLY.contains(name));
    }

    @Test
    void r120WriteSendsTheWriteCommandAndThe364BytePanelInfo() throws Exception {
        overTcp();
        DataParam p = Panels.sample(1);
        p.chName = "ABC";
        p.en3DType = 4;          // stored as 9
        p.enVb1ByteNum = 0;      // stored as 3
        p.enLvdsSpreadFreq = 9;  // not an option: stored as the terminator 6
        p.enPanelFixrateType = 6;
        p.enDivisionType = 3;
        p.u16HsyncWidth = 70000; // low 16 bits
        assertEquals(0, jni.writePanelDataToBoard(p, "R120"));

        byte[] f = last(sim.framesWithCommand(PANEL));
        assertHeader(f, 368);
        assertEquals(384, f.length);
        assertEquals(1, Wire.u32(f, HEADER));
        assertEquals("ABC", new String(f, IMAGE, 3, StandardCharsets.US_ASCII));
        assertEquals(0, Wire.byteSum(f, IMAGE + 3, IMAGE + 48));
        assertEquals(3840, Wire.u32(f, IMAGE + 48));
        assertEquals(9, Wire.u32(f, IMAGE + 64));
        assertEquals(6, Wire.u32(f, IMAGE + 84 + 4));
        assertEquals(3, Wire.u32(f, IMAGE + 120 + 20));
        assertEquals(70000 & 0xFFFF, Wire.u16(f, IMAGE + 208));
        assertEquals(6, Wire.u32(f, IMAGE + 268));
        assertEquals(3, Wire.u32(f, IMAGE + 272)); // KS_UNF_PANEL_DIVISION_FOUR
        for (int at = IMAGE + 284; at < IMAGE + 364; at += 4) {
            assertEquals(-1, Wire.u32(f, at), "reserved word at " + (at - IMAGE));
        }
    }

    @Test
    void everyOtherChipSeriesWritesThe324ByteLayout() throws Exception {
        overTcp();
        DataParam p = Panels.sample(2);
        p.enDivisionType = 3; // no such R100 division: its terminator, also 3
        int sent = 0;
        for (String chip : new String[] {"R100", "R120 ", "r120", "R12", ""}) {
            assertEquals(0, jni.writePanelDataToBoard(p, chip), chip);
            List<byte[]> frames = sim.framesWithCommand(PANEL);
            assertEquals(++sent, frames.size());
            byte[] f = last(frames);
            assertHeader(f, 328);
            assertEquals(344, f.length, chip);
            assertEquals(1, Wire.u32(f, IMAGE + 264));
            assertEquals(p.u32MuteTime, Wire.u32(f, IMAGE + 268));
            assertEquals(p.u8HorAreaNum, Wire.u32(f, IMAGE + 276));
            assertEquals(p.u8VerAreaNum, Wire.u32(f, IMAGE + 280));
            assertEquals(3, Wire.u32(f, IMAGE + 300));
            assertEquals(-1, Wire.u32(f, IMAGE + 304));
        }
    }

    @Test
    void readSendsTheReadCommandAndFillsOnlyThePanelInfoFields() throws Exception {
        overTcp();
        DataParam written = Panels.sample(3);
        assertEquals(0, jni.writePanelDataToBoard(written, "R120"));

        DataParam read = Panels.sample(4);
        read.protTailDataArray = new int[] {9, 9, 9, 9};
        read.i2cDataArray = new int[0];
        DataParam before = BinFiles.copy(read);
        assertEquals(0, jni.readPanelDataFromBoard(read, "R120"));

        byte[] f = last(sim.framesWithCommand(PANEL));
        assertHeader(f, 4);
        assertEquals(20, f.length);
        assertEquals(0, Wire.u32(f, HEADER));

        assertFields(written, read, panelInfo(true));
        assertEquals(0, read.u32PanelBackLightPwm);
        assertEquals(0, read.u32BlPwmUserMin);
        assertEquals(0, read.u32BlPwmUserMax);
        assertEquals(0, read.sendI2c);
        assertEquals(0, read.checkSumPos);
        assertArrayEquals(new int[4], read.protTailDataArray);
        assertArrayEquals(new int[0], read.i2cDataArray);
        assertArrayEquals(new int[24], read.gpioDataSingleArray);
        assertFields(before, read, Panels.R100_ONLY::contains); // other generation untouched
    }

    @Test
    void writeThenReadGivesThePanelBackForBothGenerationsOverBothLinks() throws Exception {
        for (boolean serial : new boolean[] {false, true}) {
            for (String chip : new String[] {"R100", "R120"}) {
                if (serial) {
                    overSerial();
                } else {
                    overTcp();
                }
                DataParam written = Panels.sample(chip.hashCode() + (serial ? 7 : 0));
                assertEquals(0, jni.writePanelDataToBoard(written, chip), chip);
                DataParam read = new DataParam();
                assertEquals(0, jni.readPanelDataFromBoard(read, chip), chip);
                assertFields(written, read, panelInfo(chip.equals("R120")));
                assertEquals(0, jni.endConnection());
                sim.close();
            }
        }
    }

    @Test
    void serialLinkIgnoresLineSettingsAndEndsWithTheSwitchFrame() throws Exception {
        overSerial();
        assertEquals(0, jni.writePanelDataToBoard(Panels.sample(5), "R100"));
        assertEquals(0, jni.endConnection());
        List<byte[]> ends = sim.framesWithCommand(0x1000);
        assertEquals(1, ends.size());
        assertEquals(12, ends.get(0).length);
        assertEquals("KSTV", new String(ends.get(0), 0, 4, StandardCharsets.US_ASCII));
        assertEquals(-1, jni.writePanelDataToBoard(Panels.sample(5), "R100"));
    }

    @Test
    void aFailedReadLeavesTheObjectAsItWas() throws Exception {
        overTcp("--generation", "R120", "--fault", "bad-checksum");
        DataParam p = Panels.sample(6);
        DataParam before = BinFiles.copy(p);
        assertEquals(-1, jni.readPanelDataFromBoard(p, "R120"));
        assertFields(before, p, name -> true);
        String text = jni.getStrError();
        assertNotNull(text);
        assertTrue(text.startsWith("Failed to read. Failed to check checksum."), text);
        // The board behaves again: the next read succeeds.
        assertEquals(0, jni.readPanelDataFromBoard(p, "R120"));
    }

    @Test
    void aFileNamedAsThePortIsRefusedAndKeepsItsBytes() throws Exception {
        Path notes = dir.resolve("notes.bin");
        byte[] bytes = "panel notes".getBytes(StandardCharsets.US_ASCII);
        Files.write(notes, bytes);
        assertEquals(-1, jni.startSerialConnection(notes.toString(), 5000, 115200, 8, 0, 0, 0));
        assertEquals("Can not connect to the Serial Port! It may be in use or not exist." + notes
                + "Inappropriate ioctl for device errno:25", jni.getStrError());
        assertArrayEquals(bytes, Files.readAllBytes(notes));
        // inet_addr's error value: refused at the start, like any text that is no address.
        assertEquals(-1, jni.startNetConnection("255.255.255.255", 5000));
    }

    @Test
    void anUnreachableBoardFailsWithTheTransportsText() throws Exception {
        sim = new BoardSim(dir);
        int port = sim.port;
        sim.close();
        sim = null;
        assertEquals(0, jni.startNetConnection("127.0.0.1", port));
        assertEquals(-1, jni.writePanelDataToBoard(Panels.sample(7), "R100"));
        String text = jni.getStrError();
        assertTrue(text.contains("Failed to connect the ip and port."), text);
        assertEquals(-1, jni.startNetConnection("127.0.0.1", 40000));
        assertEquals(-1, jni.startNetConnection("127.0.0.1", 65536 + port));
        assertEquals(-1, jni.startSerialConnection(dir.resolve("no-such-port").toString(),
                5000, 115200, 8, 0, 0, 0));
        text = jni.getStrError();
        assertTrue(text.startsWith("Can not connect to the Serial Port! It may be in use or not exist."
                + dir.resolve("no-such-port")), text);
    }

    @Test
    void nullArgumentsFailWithoutSendingAnything() throws Exception {
        overTcp();
        assertEquals(-1, jni.startNetConnection(null, sim.port));
        assertEquals(-1, jni.startSerialConnection(null, 5000, 115200, 8, 0, 0, 0));
        assertEquals(-1, jni.writePanelDataToBoard(null, "R120"));
        assertEquals(-1, jni.writePanelDataToBoard(Panels.sample(8), null));
        assertEquals(-1, jni.readPanelDataFromBoard(new DataParam(), null));
        assertEquals(-1, jni.readPanelDataFromBoard(null, "R100"));
        assertThrows(NoSuchFieldError.class, () -> writeAny(new Object(), "R120"));
        assertThrows(NoSuchFieldError.class, () -> writeAny("a string", "R100"));
        assertEquals(List.of(), sim.framesWithCommand(PANEL));
        // An object that is no DataParam cannot be filled: the read must not claim it was.
        assertEquals(-1, readAny("a string", "R100"));
        assertEquals(1, sim.framesWithCommand(PANEL).size());
        // The link is still usable.
        assertEquals(0, jni.writePanelDataToBoard(Panels.sample(8), "R100"));
        assertEquals(2, sim.framesWithCommand(PANEL).size());
        assertTrue(Arrays.equals(new byte[] {1, 0, 0, 0},
                Arrays.copyOfRange(sim.framesWithCommand(PANEL).get(1), HEADER, HEADER + 4)));
    }
}
