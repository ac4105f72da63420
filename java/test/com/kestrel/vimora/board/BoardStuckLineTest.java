package com.kestrel.vimora.board;

import static org.junit.jupiter.api.Assertions.assertEquals;
import static org.junit.jupiter.api.Assertions.assertNotNull;
import static org.junit.jupiter.api.Assertions.assertTrue;

import com.kestrel.vimora.jni.JNIMakeBin;
import java.util.concurrent.atomic.AtomicInteger;
import java.util.concurrent.atomic.AtomicLong;
import org.junit.jupiter.api.Test;

/** A serial line that stops taking bytes never hangs the host (real time: about 5 s). */
class BoardStuckLineTest {
    static {
        System.loadLibrary("makebintest");
    }

    /** A pseudo-terminal that answers the first header and then takes no byte more. */
    static native String openStuckLine();

    static native void closeStuckLine();

    @Test
    void aPanelWriteFailsWithinFiveAndAHalfSecondsAndTheTextStaysReadableMeanwhile()
            throws Exception {
        JNIMakeBin jni = new JNIMakeBin();
        String line = openStuckLine();
        assertNotNull(line);
        try {
            assertEquals(0, jni.startSerialConnection(line, 5000, 115200, 8, 0, 0, 0));
            String before = jni.getStrError();
            AtomicInteger result = new AtomicInteger(1);
            AtomicLong took = new AtomicLong();
            Thread writer = new Thread(() -> {
                long start = System.nanoTime();
                result.set(jni.writePanelDataToBoard(Panels.sample(1), "R100"));
                took.set(System.nanoTime() - start);
            });
            writer.start();
            long slowest = 0;
            int answers = 0;
            while (writer.isAlive()) {
                long start = System.nanoTime();
                String text = jni.getStrError();
                slowest = Math.max(slowest, System.nanoTime() - start);
                if (before.equals(text)) {
                    answers++;
                }
                Thread.sleep(20);
            }
            writer.join();
            assertEquals(-1, result.get());
            assertTrue(took.get() >= 4_900_000_000L && took.get() < 5_500_000_000L,
                    "took " + took.get() / 1_000_000 + " ms");
            assertTrue(slowest < 100_000_000L, "getStrError took " + slowest / 1_000_000 + " ms");
            assertTrue(answers > 50, answers + " answers");
            assertEquals("Failed to write. Failed to send data and checksum."
                    + "Connection timed out errno:110", jni.getStrError());
        } finally {
            closeStuckLine();
            jni.endConnection();
        }
    }
}
