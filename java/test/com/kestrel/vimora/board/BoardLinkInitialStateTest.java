package com.kestrel.vimora.board;

import static org.junit.jupiter.api.Assertions.assertEquals;
import static org.junit.jupiter.api.Assertions.assertNull;

import com.kestrel.vimora.jni.JNIMakeBin;
import com.kestrel.vimora.model.DataParam;
import org.junit.jupiter.api.Test;

/** Before any start the link refuses everything and has no text (own JVM, own process). */
class BoardLinkInitialStateTest {
    @Test
    void nothingWorksAndNothingIsReportedBeforeAStart() {
        JNIMakeBin jni = new JNIMakeBin();
        assertNull(jni.getStrError());
        assertEquals(-1, jni.endConnection());
        assertEquals(-1, jni.writePanelDataToBoard(new DataParam(), "R120"));
        assertEquals(-1, jni.readPanelDataFromBoard(new DataParam(), "R100"));
        // Refused arguments leave the link as it was: still no text.
        assertEquals(-1, jni.startNetConnection("127.0.0.1", 40000));
        assertEquals(-1, jni.startNetConnection(null, 80));
        assertEquals(-1, jni.startSerialConnection("/dev/null", 0, 115200, 8, 0, 0, 0));
        assertNull(jni.getStrError());
        assertEquals(-1, jni.endConnection());
    }
}
