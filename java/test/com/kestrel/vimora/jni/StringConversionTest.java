package com.kestrel.vimora.jni;

import static org.junit.jupiter.api.Assertions.assertArrayEquals;
import static org.junit.jupiter.api.Assertions.assertEquals;
import static org.junit.jupiter.api.Assertions.assertFalse;
import static org.junit.jupiter.api.Assertions.assertNull;

import java.io.IOException;
import java.nio.charset.Charset;
import java.nio.charset.StandardCharsets;
import java.nio.file.Files;
import java.nio.file.Path;
import org.junit.jupiter.api.Test;
import org.junit.jupiter.api.io.TempDir;

/** Java strings to bytes and back, as every native method sees them. */
class StringConversionTest {
    static {
        System.loadLibrary("makebintest");
    }

    static native byte[] toBytes(String text);
    static native boolean convertsWithExceptionPending(String text);
    static native String fromUtf8(byte[] bytes);
    static native String fromUtf8Named(byte[] bytes);
    static native boolean buildsWithExceptionPending();
    static native long fileLength(String path);

    @Test
    void javaTextBecomesItsDefaultCharsetBytes() {
        for (String text : new String[] {"R120", "", "Panel ü 液晶 \uD83D\uDCFA"}) {
            assertArrayEquals(text.getBytes(Charset.defaultCharset()), toBytes(text), text);
        }
        assertEquals("UTF-8", Charset.defaultCharset().name());
    }

    @Test
    void nullOrPendingExceptionGivesNullAndClearsTheException() {
        assertNull(toBytes(null));
        // An embedded zero would cut a file name short: refused instead.
        assertNull(toBytes("dir/a\u0000b"));
        // Returning normally proves the exception raised before the call was cleared.
        assertFalse(convertsWithExceptionPending("text"));
        assertFalse(buildsWithExceptionPending());
    }

    @Test
    void bytesDecodeAsUtf8() {
        String text = "Fehler: Gerät 液晶";
        byte[] utf8 = text.getBytes(StandardCharsets.UTF_8);
        assertEquals(text, fromUtf8(utf8));
        assertEquals(text, fromUtf8Named(utf8));
        assertEquals("", fromUtf8(new byte[0]));
        assertNull(fromUtf8(null));
        assertNull(fromUtf8Named(null));
        // Invalid UTF-8 decodes with replacement characters, never a JNI complaint.
        assertEquals("a\uFFFDb", fromUtf8(new byte[] {'a', (byte) 0xC3, 'b'}));
    }

    @Test
    void nonAsciiFileNamesReachTheFileSystemByteForByte(@TempDir Path dir) throws IOException {
        Path file = dir.resolve("面板-ü.bin");
        Files.write(file, new byte[1234]);
        assertEquals(1234L, fileLength(file.toString()));
        assertEquals(4294967295L, fileLength(dir.resolve("missing").toString()));
    }
}
