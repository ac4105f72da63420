package com.kestrel.vimora;

import static org.junit.jupiter.api.Assertions.assertArrayEquals;
import static org.junit.jupiter.api.Assertions.assertEquals;
import static org.junit.jupiter.api.Assertions.assertFalse;
import static org.junit.jupiter.api.Assertions.assertNull;
import static org.junit.jupiter.api.Assertions.assertSame;
import static org.junit.jupiter.api.Assertions.assertThrows;
import static org.junit.jupiter.api.Assertions.assertTrue;

import com.kestrel.vimora.model.DataParam;
import java.io.ByteArrayOutputStream;
import java.io.DataOutputStream;
import java.io.IOException;
import java.io.InputStream;
import java.lang.ref.WeakReference;
import java.nio.ByteBuffer;
import java.nio.file.Files;
import java.nio.file.Path;
import java.util.Arrays;
import java.util.Random;
import org.junit.jupiter.api.Test;
import org.junit.jupiter.api.io.TempDir;
import org.junit.jupiter.params.ParameterizedTest;
import org.junit.jupiter.params.provider.ValueSource;

/**
 * makePanelBin reads the panels of the first panel's class in bulk, through
 * a helper class it defines for that class; every other element, and every
 * element where no helper can be had, goes through JNI one by one. Both
 * ways must write the same bytes.
 */
class BinFileBulkTest {
    @TempDir Path dir;

    /** DataParam under another name: read in bulk or one by one, whichever DataParam is not. */
    public static class PlainPanel extends DataParam {}

    /** A width the helper may not read: a private field hides DataParam's. */
    static final class PrivateWidth extends DataParam {
        private final int u32PanelWidth;

        PrivateWidth(int width) {
            u32PanelWidth = width;
        }
    }

    /** Defines classes itself, so that they are new classes of a new loader. */
    static final class FreshLoader extends ClassLoader {
        FreshLoader() {
            super(BinFileBulkTest.class.getClassLoader());
        }

        Class<?> define(Class<?> like) throws IOException {
            String file = like.getName().substring(like.getPackageName().length() + 1) + ".class";
            try (InputStream in = like.getResourceAsStream(file)) {
                byte[] bytes = in.readAllBytes();
                return defineClass(like.getName(), bytes, 0, bytes.length);
            }
        }
    }

    private static <T extends DataParam> T copyInto(DataParam from, T to) {
        try {
            for (java.lang.reflect.Field field : DataParam.class.getFields()) field.set(to, field.get(from));
        } catch (ReflectiveOperationException e) {
            throw new AssertionError(e);
        }
        return to;
    }

    /** Whether the library has defined its helper for the class, as it names it. */
    private static boolean hasHelper(Class<?> panelClass, String chip) {
        try {
            Class.forName(panelClass.getName() + "$$MakebinGather" + BinFiles.bodySize(chip), false,
                    panelClass.getClassLoader());
            return true;
        } catch (ClassNotFoundException e) {
            return false;
        }
    }

    private static byte[] record(ByteBuffer file, String chip, int index) {
        int size = BinFiles.bodySize(chip);
        byte[] record = new byte[size];
        file.get(168 + index * (36 + size), record);
        return record;
    }

    /** The name's member as the JVM's own modified UTF-8 has it, cut at a whole character. */
    private static byte[] nameMember(String name) throws IOException {
        ByteArrayOutputStream out = new ByteArrayOutputStream();
        new DataOutputStream(out).writeUTF(PanelContract.textBack(name, 48));
        byte[] member = new byte[48];
        System.arraycopy(out.toByteArray(), 2, member, 0, out.size() - 2);
        return member;
    }

    /** Random panels, with null and very long values among them, over several batches. */
    private static DataParam[] panels(String chip, int count) {
        Random random = new Random(4242 + chip.hashCode());
        DataParam[] panels = new DataParam[count];
        for (int i = 0; i < count; ++i) {
            DataParam p = PanelContract.randomPanel(random, i);
            if (i % 9 == 4) {
                p.chName = null;
                p.cPqBinPath = null;
                p.i2cDataArray = null;
                p.gpioDataSingleArray = null;
            }
            if (i == 5) p.i2cDataArray = new int[1 << 20];
            if (i == 6) p.chName = "\u0000\uD83D\uDCFA".repeat(1000);
            panels[i] = p;
        }
        return panels;
    }

    @ParameterizedTest
    @ValueSource(strings = {"R100", "R120"})
    void bulkAndOneByOneWriteTheSameBytes(String chip) throws IOException {
        DataParam[] panels = panels(chip, 150);
        for (boolean dataParamFirst : new boolean[] {true, false}) {
            DataParam[] pairs = new DataParam[2 * panels.length];
            for (int i = 0; i < panels.length; ++i) {
                DataParam other = copyInto(panels[i], new PlainPanel());
                pairs[2 * i] = dataParamFirst ? panels[i] : other;
                pairs[2 * i + 1] = dataParamFirst ? other : panels[i];
            }
            Path file = dir.resolve("pairs.bin");
            assertEquals(0, BinFiles.make(file, pairs, chip));
            ByteBuffer bytes = BinFiles.bytes(file);
            for (int i = 0; i < panels.length; ++i) {
                byte[] first = record(bytes, chip, 2 * i);
                assertArrayEquals(first, record(bytes, chip, 2 * i + 1), chip + " panel " + i);
                byte[] name = new byte[48];
                System.arraycopy(first, 0, name, 0, 48);
                assertArrayEquals(nameMember(panels[i].chName), name, chip + " name of panel " + i);
            }
        }
        // Both ways were taken: each class was read in bulk once.
        assertTrue(hasHelper(DataParam.class, chip));
        assertTrue(hasHelper(PlainPanel.class, chip));
    }

    // The helper is used, not only defined: its gather method runs once per
    // 64 panels after the first, which the mapper converts itself. Panels of
    // another class in between do not add calls.
    @ParameterizedTest
    @ValueSource(strings = {"R100", "R120"})
    void panelsAfterTheFirstAreGatheredSixtyFourACall(String chip) {
        Path file = dir.resolve("counted.bin");
        DataParam[] mixed = panels(chip, 150);
        for (int i = 1; i < mixed.length; i += 3) mixed[i] = copyInto(mixed[i], new PlainPanel());
        Object[][] cases = {{panels(chip, 1), 0}, {panels(chip, 65), 1}, {panels(chip, 66), 2},
                            {panels(chip, 150), 3}, {mixed, 3}};
        for (Object[] c : cases) {
            DataParam[] panels = (DataParam[]) c[0];
            assertEquals(c[1], BinFileProbe.gathersOfMakePanelBin(
                    BinFiles.header(1, 0, panels.length, 0), panels, file.toString(), chip),
                    chip + ", " + panels.length + " panels");
        }
    }

    @Test
    void panelsTheHelperMayNotReadGoOneByOne() throws IOException {
        DataParam[] panels = new DataParam[100];
        for (int i = 0; i < panels.length; ++i) panels[i] = new PrivateWidth(5000 + i);
        Path file = dir.resolve("private.bin");
        for (int call = 0; call < 2; ++call) { // the second finds the helper given up
            assertEquals(0, BinFiles.make(file, panels, "R120"));
            for (int i = 0; i < panels.length; ++i)
                assertEquals(5000 + i, BinFiles.readBody(file, i, "R120").u32PanelWidth, "panel " + i);
        }
        // A hole or a class without the fields far into the array still fails the whole call.
        byte[] before = Files.readAllBytes(file);
        DataParam[] hole = panels("R100", 100);
        hole[70] = null;
        assertEquals(-1, BinFiles.make(file, hole, "R100"));
        Object[] odd = Arrays.copyOf(panels("R100", 100), 100, Object[].class);
        odd[65] = new OddPanels.NameAsInt();
        NoSuchFieldError error = assertThrows(NoSuchFieldError.class, () -> BinFileProbe.makePanelBin(
                BinFiles.header(0, 0, 100, 0), odd, file.toString(), "R100"));
        assertTrue(error.getMessage().contains("chName"), error.getMessage());
        assertArrayEquals(before, Files.readAllBytes(file));
    }

    // Each loader gets a helper of its own, held weakly: once the panels
    // are gone, the loader goes too.
    @Test
    void aClassOfANewLoaderGetsItsOwnHelperAndIsNotKept() throws Exception {
        DataParam[] panels = panels("R120", 80);
        Path expected = dir.resolve("expected.bin");
        assertEquals(0, BinFiles.make(expected, panels, "R120"));
        for (int round = 0; round < 2; ++round) {
            Path file = dir.resolve("loader" + round + ".bin");
            WeakReference<ClassLoader> loader = makeWithFreshLoader(file, panels);
            assertArrayEquals(Files.readAllBytes(expected), Files.readAllBytes(file), "round " + round);
            for (int i = 0; i < 100 && loader.get() != null; ++i) {
                System.gc();
                Thread.sleep(20);
            }
            assertNull(loader.get(), "round " + round);
        }
    }

    private static WeakReference<ClassLoader> makeWithFreshLoader(Path file, DataParam[] like)
            throws Exception {
        FreshLoader loader = new FreshLoader();
        Class<?> fresh = loader.define(PlainPanel.class);
        assertSame(loader, fresh.getClassLoader());
        assertFalse(fresh == PlainPanel.class);
        DataParam[] panels = new DataParam[like.length];
        for (int i = 0; i < like.length; ++i)
            panels[i] = copyInto(like[i], (DataParam) fresh.getDeclaredConstructor().newInstance());
        assertEquals(0, BinFiles.make(file, panels, "R120"));
        assertTrue(hasHelper(fresh, "R120"));
        return new WeakReference<>(loader);
    }
}
