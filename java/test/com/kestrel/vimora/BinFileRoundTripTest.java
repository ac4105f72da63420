package com.kestrel.vimora;

import static com.kestrel.vimora.BinFiles.JNI;
import static org.junit.jupiter.api.Assertions.assertArrayEquals;
import static org.junit.jupiter.api.Assertions.assertEquals;
import static org.junit.jupiter.api.Assertions.assertSame;

import com.kestrel.vimora.model.DataParam;
import com.kestrel.vimora.model.HeaderParam;
import java.lang.reflect.Modifier;
import java.nio.file.Path;
import java.util.Random;
import java.util.Set;
import java.util.TreeSet;
import org.junit.jupiter.api.Test;
import org.junit.jupiter.api.io.TempDir;
import org.junit.jupiter.params.ParameterizedTest;
import org.junit.jupiter.params.provider.ValueSource;

/** Panels written with makePanelBin and read back with readBinBody, field by field. */
class BinFileRoundTripTest {
    @TempDir Path dir;

    @Test
    void theContractCoversEveryFieldOfDataParam() {
        Set<String> declared = new TreeSet<>();
        for (java.lang.reflect.Field f : DataParam.class.getDeclaredFields()) {
            if (!Modifier.isStatic(f.getModifiers())) declared.add(f.getName());
        }
        Set<String> covered = new TreeSet<>();
        PanelContract.FIELDS.forEach(f -> covered.add(f.name));
        assertEquals(declared, covered);
        assertEquals(73, PanelContract.fieldsOf("R100").size());
        assertEquals(85, PanelContract.fieldsOf("R120").size());
    }

    @ParameterizedTest
    @ValueSource(strings = {"R100", "R120"})
    void randomPanelsComeBackAsTheContractSays(String chip) {
        Random random = new Random(20261208L + chip.hashCode());
        DataParam[] panels = new DataParam[48];
        for (int i = 0; i < panels.length; ++i) panels[i] = PanelContract.randomPanel(random, i);
        Path file = dir.resolve("random.bin");
        assertEquals(0, BinFiles.make(file, panels, chip));
        for (int i = 0; i < panels.length; ++i) {
            // The target already holds other values: the other generation's must survive.
            DataParam target = PanelContract.randomPanel(random, i + 1);
            DataParam before = BinFiles.copy(target);
            assertSame(target, JNI.readBinBody(target, i, file.toString(), chip));
            BinFiles.assertReadBack(chip, panels[i], before, target, chip + " panel " + i);
        }
    }

    @ParameterizedTest
    @ValueSource(strings = {"R100", "R120"})
    void nullTextsAndArraysWriteAsEmpty(String chip) {
        DataParam panel = new DataParam();
        panel.chName = null;
        panel.cPqBinPath = null;
        panel.i2cDataArray = null;
        panel.gpioDataSingleArray = null;
        panel.protTailDataArray = null;
        panel.u32PanelWidth = 3840;
        Path file = dir.resolve("nulls.bin");
        assertEquals(0, BinFiles.make(file, new DataParam[] {panel}, chip));
        DataParam back = BinFiles.readBody(file, 0, chip);
        assertEquals("", back.chName);
        assertEquals(3840, back.u32PanelWidth);
        assertArrayEquals(new int[120], back.i2cDataArray);
        assertArrayEquals(new int[24], back.gpioDataSingleArray);
        assertArrayEquals(new int[8], back.protTailDataArray);
    }

    @Test
    void arraysComeBackAsLongAsTheTargetsArrays() {
        DataParam panel = new DataParam();
        for (int i = 0; i < 8; ++i) panel.protTailDataArray[i] = i + 1;
        for (int i = 0; i < 12; ++i) panel.ldmActNumSingleArray[i] = 200 + i;
        panel.i2cDataArray = new int[] {9, 9, 9};
        Path file = dir.resolve("lengths.bin");
        assertEquals(0, BinFiles.make(file, new DataParam[] {panel}, "R120"));

        DataParam target = new DataParam();
        target.protTailDataArray = new int[4];
        target.i2cDataArray = new int[0];
        target.gpioDataSingleArray = null;
        target.ldmActNumSingleArray = new int[15];
        assertSame(target, JNI.readBinBody(target, 0, file.toString(), "R120"));
        assertArrayEquals(new int[] {1, 2, 3, 4}, target.protTailDataArray);
        assertArrayEquals(new int[0], target.i2cDataArray);
        assertArrayEquals(new int[0], target.gpioDataSingleArray);
        assertArrayEquals(new int[] {200, 201, 202, 203, 204, 205, 206, 207, 208, 209, 210, 211, 0, 0, 0},
                target.ldmActNumSingleArray);
    }

    // The field lookups are reused while the class stays the same: a class
    // change in the middle of the array must bring the other class's fields.
    @Test
    void subclassesConvertWithTheirOwnFieldsInAMixedArray() {
        DataParam first = new DataParam();
        first.u32PanelWidth = 1;
        OddPanels.ShadowingPanel second = new OddPanels.ShadowingPanel();
        ((DataParam) second).u32PanelWidth = 2;
        second.u32PanelWidth = 3;
        second.chName = "sub";
        DataParam third = new DataParam();
        third.u32PanelWidth = 4;
        Path file = dir.resolve("mixed.bin");
        assertEquals(0, BinFiles.make(file, new DataParam[] {first, second, third}, "R100"));
        assertEquals(1, BinFiles.readBody(file, 0, "R100").u32PanelWidth);
        assertEquals(3, BinFiles.readBody(file, 1, "R100").u32PanelWidth);
        assertEquals(4, BinFiles.readBody(file, 2, "R100").u32PanelWidth);
        // Reading goes through DataParam's own fields, also for a subclass object.
        OddPanels.ShadowingPanel target = new OddPanels.ShadowingPanel();
        target.u32PanelWidth = 77;
        assertSame(target, JNI.readBinBody(target, 1, file.toString(), "R100"));
        assertEquals(3, ((DataParam) target).u32PanelWidth);
        assertEquals(77, target.u32PanelWidth);
        assertEquals("sub", target.chName);
    }

    // Panels are converted in runs that share local references; a class that
    // changes right at, before and after the edge of a run, and a class kept
    // from one run into the next, still bring their own fields.
    @Test
    void classChangesAcrossLongArraysKeepEachPanelsFields() {
        int count = 100;
        DataParam[] panels = new DataParam[count];
        for (int i = 0; i < count; ++i) {
            boolean sub = i == 31 || i == 32 || i == 63 || i >= 64 && i % 7 != 0;
            DataParam p = sub ? new OddPanels.ShadowingPanel() : new DataParam();
            p.u32PanelWidth = -1;
            if (sub) ((OddPanels.ShadowingPanel) p).u32PanelWidth = 1000 + i;
            else p.u32PanelWidth = i;
            panels[i] = p;
        }
        Path file = dir.resolve("runs.bin");
        assertEquals(0, BinFiles.make(file, panels, "R120"));
        for (int i = 0; i < count; ++i) {
            int expected = panels[i] instanceof OddPanels.ShadowingPanel ? 1000 + i : i;
            assertEquals(expected, BinFiles.readBody(file, i, "R120").u32PanelWidth, "panel " + i);
        }
    }

    @Test
    void headerComesBackAsStored() {
        Path file = dir.resolve("header.bin");
        int[][] cases = {{2, 1048576, 3, 1}, {7, -1, -5, Integer.MIN_VALUE}, {-1, 0, 0, 0}};
        int[] mediaBack = {2, 4, 4};
        for (int i = 0; i < cases.length; ++i) {
            int[] c = cases[i];
            assertEquals(0, JNI.makePanelBin(BinFiles.header(c[0], c[1], c[2], c[3]), new DataParam[0],
                    file.toString(), "R120"));
            HeaderParam back = BinFiles.header(99, 99, 99, 99);
            assertSame(back, JNI.readBinHeader(back, file.toString(), "R120"));
            assertEquals(mediaBack[i], back.enMedia);
            assertEquals(c[1], back.u32Addr);
            assertEquals(c[2], back.u32TotalNum);
            assertEquals(c[3], back.u32Index);
        }
    }
}
