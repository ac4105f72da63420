package com.kestrel.vimora;

import static org.junit.jupiter.api.Assertions.assertArrayEquals;
import static org.junit.jupiter.api.Assertions.assertEquals;

import com.kestrel.vimora.PanelContract.Field;
import com.kestrel.vimora.PanelContract.Kind;
import com.kestrel.vimora.jni.JNIMakeBin;
import com.kestrel.vimora.model.DataParam;
import com.kestrel.vimora.model.HeaderParam;
import java.io.IOException;
import java.io.UncheckedIOException;
import java.nio.ByteBuffer;
import java.nio.ByteOrder;
import java.nio.charset.StandardCharsets;
import java.nio.file.Files;
import java.nio.file.Path;

/** Making, reading and inspecting bin files in tests. */
public final class BinFiles {
    static final JNIMakeBin JNI = new JNIMakeBin();
    static final int FILE_SIZE = 819200;
    static final int R100_BODY = 476;
    static final int R120_BODY = 632;

    private BinFiles() {}

    static int bodySize(String chip) {
        return "R120".equals(chip) ? R120_BODY : R100_BODY;
    }

    static HeaderParam header(int media, int addr, int total, int index) {
        HeaderParam header = new HeaderParam();
        header.enMedia = media;
        header.u32Addr = addr;
        header.u32TotalNum = total;
        header.u32Index = index;
        return header;
    }

    static int make(Path file, DataParam[] panels, String chip) {
        return JNI.makePanelBin(header(1, 0x100000, panels.length, 0), panels, file.toString(), chip);
    }

    static DataParam readBody(Path file, int index, String chip) {
        return JNI.readBinBody(new DataParam(), index, file.toString(), chip);
    }

    static ByteBuffer bytes(Path file) {
        try {
            return ByteBuffer.wrap(Files.readAllBytes(file)).order(ByteOrder.LITTLE_ENDIAN);
        } catch (IOException e) {
            throw new UncheckedIOException(e);
        }
    }

    static void patch(Path file, int offset, byte... values) {
        try {
            byte[] all = Files.readAllBytes(file);
            System.arraycopy(values, 0, all, offset, values.length);
            Files.write(file, all);
        } catch (IOException e) {
            throw new UncheckedIOException(e);
        }
    }

    static void patchInt(Path file, int offset, int value) {
        patch(file, offset, ByteBuffer.allocate(4).order(ByteOrder.LITTLE_ENDIAN).putInt(value).array());
    }

    /** The zero-padded name at {@code offset}, as ASCII. */
    static String name(ByteBuffer bytes, int offset, int width) {
        byte[] raw = new byte[width];
        bytes.get(offset, raw);
        int end = 0;
        while (end < width && raw[end] != 0) ++end;
        for (int i = end; i < width; ++i) assertEquals(0, raw[i], "padding byte " + i + " at " + offset);
        return new String(raw, 0, end, StandardCharsets.ISO_8859_1);
    }

    /** A deep copy: arrays are copied, not shared. */
    public static DataParam copy(DataParam panel) {
        DataParam copy = new DataParam();
        try {
            for (java.lang.reflect.Field field : DataParam.class.getFields()) {
                Object value = field.get(panel);
                field.set(copy, value instanceof int[] ? ((int[]) value).clone() : value);
            }
        } catch (ReflectiveOperationException e) {
            throw new AssertionError(e);
        }
        return copy;
    }

    static Object get(Object object, String field) {
        try {
            return object.getClass().getField(field).get(object);
        } catch (ReflectiveOperationException e) {
            throw new AssertionError(e);
        }
    }

    /**
     * Asserts that {@code back}, read from a file of {@code chip} into an object
     * that held {@code before}, carries what the contract says for each
     * field written from {@code written}, and that the fields of the other
     * generation kept their values.
     */
    static void assertReadBack(String chip, DataParam written, DataParam before, DataParam back,
                               String what) {
        for (Field f : PanelContract.FIELDS) {
            String label = what + ", " + f.name;
            if (!f.usedBy(chip)) {
                if (PanelContract.fieldsOf(chip).stream().noneMatch(g -> g.name.equals(f.name))) {
                    assertFieldEquals(get(before, f.name), get(back, f.name), label + " (other generation)");
                }
                continue;
            }
            Object w = get(written, f.name);
            if (f.kind == Kind.TEXT) {
                assertEquals(PanelContract.textBack((String) w, f.width), get(back, f.name), label);
            } else if (f.kind == Kind.BYTES) {
                int[] held = (int[]) get(before, f.name);
                int[] expected = PanelContract.bytesBack((int[]) w, f.width, held == null ? 0 : held.length);
                assertArrayEquals(expected, (int[]) get(back, f.name), label);
            } else {
                assertEquals(f.roundTrip((Integer) w), (Integer) get(back, f.name), label + " written " + w);
            }
        }
    }

    private static void assertFieldEquals(Object expected, Object actual, String label) {
        if (expected instanceof int[]) {
            assertArrayEquals((int[]) expected, (int[]) actual, label);
        } else {
            assertEquals(expected, actual, label);
        }
    }
}
