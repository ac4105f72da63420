package com.kestrel.vimora;

import static org.junit.jupiter.api.Assertions.assertEquals;
import static org.junit.jupiter.api.Assertions.assertTrue;
import static org.junit.jupiter.api.Assumptions.assumeTrue;

import com.kestrel.vimora.jni.JNIMakeBin;
import com.kestrel.vimora.model.DataParam;
import com.kestrel.vimora.model.HeaderParam;
import java.io.File;
import java.nio.charset.StandardCharsets;
import java.nio.file.Files;
import java.nio.file.Path;
import java.util.ArrayList;
import java.util.List;
import java.util.concurrent.TimeUnit;
import java.util.stream.Collectors;
import java.util.stream.Stream;
import org.junit.jupiter.api.io.TempDir;
import org.junit.jupiter.params.ParameterizedTest;
import org.junit.jupiter.params.provider.CsvSource;

/**
 * File names in the locale and charset settings of a JVM started for the case:
 * a name the JVM's file-name encoding cannot represent is refused (-1, null,
 * nothing written), never made into '?' and so into another file; any other
 * name reaches the file Java's own File means.
 */
class BinFileNameTest {
    @TempDir Path dir;

    // JDK ('' for this one), LC_ALL, a JVM option (-Xshare:auto changes nothing),
    // and per name of Child.NAMES whether it is written (y) or refused (n).
    @ParameterizedTest(name = "{0} LC_ALL={1} {2}")
    @CsvSource({"'', C, -Xshare:auto, nnynn", "'', C.UTF-8, -Dfile.encoding=ISO-8859-1, yyyyn",
                "/usr/lib/jvm/temurin-25-jdk-amd64, C, -Xshare:auto, nnynn"})
    void namesMeanTheFileJavasOwnFileMeans(String jdk, String locale, String option, String written)
            throws Exception {
        boolean own = jdk.isEmpty(), jvm32 = "32".equals(System.getProperty("sun.arch.data.model"));
        Path java = Path.of(own ? System.getProperty("java.home") : jdk, "bin", "java");
        assumeTrue(own || (Files.isExecutable(java) && !jvm32), "needs " + java + " and the x86-64 library");
        String emulator = System.getenv().getOrDefault("MAKEBIN_I386_EMULATOR", "");
        List<String> command = new ArrayList<>();
        if (jvm32 && !emulator.isEmpty()) command.addAll(List.of(emulator, java.toString(), "-Xint"));
        else command.add(java.toString());
        command.addAll(List.of("-Xcheck:jni", option, "-Djava.library.path=" + System.getProperty("java.library.path"),
                "-cp", location(JNIMakeBin.class) + File.pathSeparator + location(Child.class),
                Child.class.getName(), dir.toString()));
        ProcessBuilder builder = new ProcessBuilder(command).redirectErrorStream(true);
        builder.environment().put("LC_ALL", locale);
        Process child = builder.start();
        String out = new String(child.getInputStream().readAllBytes(), StandardCharsets.US_ASCII);
        assertTrue(child.waitFor(600, TimeUnit.SECONDS) && child.exitValue() == 0
                && !out.contains("WARNING in native method"), out);

        List<String> expected = new ArrayList<>(), files = new ArrayList<>();
        for (int i = 0; i < Child.NAMES.length; i++) {
            boolean made = written.charAt(i) == 'y';
            expected.add(i + (made ? " 0 panel " + i + " true true" : " -1 null false false"));
            if (made) files.add(Child.NAMES[i]);
        }
        // Newer JVMs warn about native access on lines of their own.
        assertEquals(expected, out.lines().filter(l -> l.matches("\\d .*")).collect(Collectors.toList()));
        try (Stream<Path> entries = Files.list(dir)) {
            assertEquals(files.stream().sorted().collect(Collectors.toList()),
                    entries.map(p -> p.getFileName().toString()).sorted().collect(Collectors.toList()));
        }
    }

    private static String location(Class<?> type) throws Exception {
        return Path.of(type.getProtectionDomain().getCodeSource().getLocation().toURI()).toString();
    }

    /** Makes a file per name, then reads each back and asks Java's File about it. */
    public static final class Child {
        static final String[] NAMES = {"面板.bin", "其他.bin", "plain.bin", "ü.bin", "a\uD800.bin"};

        public static void main(String[] args) {
            JNIMakeBin jni = new JNIMakeBin();
            int[] made = new int[NAMES.length];
            for (int i = 0; i < NAMES.length; i++) {
                DataParam panel = new DataParam();
                panel.chName = "panel " + i;
                made[i] = jni.makePanelBin(new HeaderParam(), new DataParam[] {panel}, args[0] + "/" + NAMES[i], "R100");
            }
            for (int i = 0; i < NAMES.length; i++) {
                String path = args[0] + "/" + NAMES[i];
                DataParam back = jni.readBinBody(new DataParam(), 0, path, "R100");
                System.out.println(i + " " + made[i] + " " + (back == null ? "null" : back.chName) + " "
                        + (jni.readBinHeader(new HeaderParam(), path, "R100") != null) + " " + new File(path).isFile());
            }
        }
    }
}
