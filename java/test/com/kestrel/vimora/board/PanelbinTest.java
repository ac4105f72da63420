package com.kestrel.vimora.board;

import static org.junit.jupiter.api.Assertions.assertArrayEquals;
import static org.junit.jupiter.api.Assertions.assertEquals;
import static org.junit.jupiter.api.Assertions.assertTrue;

import com.kestrel.vimora.jni.JNIMakeBin;
import com.kestrel.vimora.model.DataParam;
import com.kestrel.vimora.model.HeaderParam;
import java.io.IOException;
import java.nio.charset.StandardCharsets;
import java.nio.file.Files;
import java.nio.file.Path;
import java.util.ArrayList;
import java.util.List;
import java.util.concurrent.TimeUnit;
import org.junit.jupiter.api.io.TempDir;
import org.junit.jupiter.params.ParameterizedTest;
import org.junit.jupiter.params.provider.ValueSource;

/**
 * The panelbin tool against makePanelBin: its JSON of a file made from Java
 * objects makes that very file again, byte for byte. Lives beside Panels,
 * whose samples use every field across its range.
 */
class PanelbinTest {
    @TempDir Path dir;

    @ParameterizedTest
    @ValueSource(strings = {"R100", "R120"})
    void dumpThenMakeGivesMakePanelBinsBytes(String chip) throws Exception {
        DataParam[] panels = {Panels.sample(1), Panels.sample(2), Panels.sample(3)};
        HeaderParam header = new HeaderParam();
        header.enMedia = 3;
        header.u32Addr = -1;
        header.u32TotalNum = panels.length;
        header.u32Index = 2;
        Path java = dir.resolve("java.bin");
        assertEquals(0, new JNIMakeBin().makePanelBin(header, panels, java.toString(), chip));

        String json = panelbin("dump", java.toString());
        Path document = dir.resolve("panels.json");
        Files.writeString(document, json);
        Path tool = dir.resolve("tool.bin");
        panelbin("make", tool.toString(), "--from", document.toString());

        assertArrayEquals(Files.readAllBytes(java), Files.readAllBytes(tool));
        assertEquals(json, panelbin("dump", tool.toString()));
        // The samples' timings are values across each field's range, not a
        // panel that would light: the conformity verdict may fail, the
        // container must be sound.
        assertTrue(run(1, "check", java.toString()).contains(": sound, " + chip));
    }

    /** Runs the tool, which must succeed; its standard output. */
    private String panelbin(String... args) throws IOException, InterruptedException {
        return run(0, args);
    }

    /** Runs the tool, which must end with a status of at most `worst`; its standard output. */
    private String run(int worst, String... args) throws IOException, InterruptedException {
        String path = System.getProperty("makebin.panelbin");
        if (path == null || path.isEmpty()) {
            throw new IllegalStateException("system property makebin.panelbin is not set");
        }
        List<String> command = new ArrayList<>(List.of(path));
        command.addAll(List.of(args));
        Path err = dir.resolve("stderr.txt");
        Process process = new ProcessBuilder(command).redirectError(err.toFile()).start();
        byte[] out = process.getInputStream().readAllBytes();
        assertTrue(process.waitFor(60, TimeUnit.SECONDS), "panelbin did not end");
        int status = process.exitValue();
        assertTrue(status <= worst, () -> String.join(" ", command) + ": status " + status + ": " + read(err));
        return new String(out, StandardCharsets.UTF_8);
    }

    private static String read(Path file) {
        try {
            return Files.readString(file);
        } catch (IOException e) {
            return e.toString();
        }
    }
}
