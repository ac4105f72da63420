package com.kestrel.vimora;

import static org.junit.jupiter.api.Assertions.assertEquals;
import static org.junit.jupiter.api.Assertions.assertFalse;
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
import org.junit.jupiter.params.provider.Arguments;
import org.junit.jupiter.params.provider.MethodSource;

/**
 * File names reach the file Java's own File means, in the locale and charset
 * settings of a JVM started for the case: a name the JVM's file-name encoding
 * cannot represent is refused (-1, null, nothing written), never turned into
 * '?' and so into another name.
 */
class BinFileNameTest {
    @TempDir Path dir;

    static Stream<Arguments> settings() {
        String home = System.getProperty("java.home");
        String jdk25 = "/usr/lib/jvm/temurin-25-jdk-amd64";
        return Stream.of(
                // A C locale: file names are ASCII; Java's File makes '?' of the rest.
                Arguments.of("C locale", home, "C", List.of(),
                        List.of("面板.bin", "其他.bin", "plain.bin"), List.of(false, false, true)),
                // Default charset Latin-1, file names still UTF-8; a lone surrogate is no text.
                Arguments.of("file.encoding=ISO-8859-1", home, "C.UTF-8",
                        List.of("-Dfile.encoding=ISO-8859-1"),
                        List.of("ü.bin", "面板.bin", "a\uD800.bin"), List.of(true, true, false)),
                // Since JDK 18 the default charset is UTF-8 even where file names are ASCII.
                Arguments.of("JDK 25, C locale", jdk25, "C", List.of(),
                        List.of("ü.bin", "plain.bin"), List.of(false, true)));
    }

    @ParameterizedTest(name = "{0}")
    @MethodSource("settings")
    void namesReachTheFileJavasOwnFileMeans(String what, String javaHome, String locale,
            List<String> options, List<String> names, List<Boolean> representable) throws Exception {
        Path java = Path.of(javaHome, "bin", "java");
        boolean emulated = !System.getenv().getOrDefault("MAKEBIN_I386_EMULATOR", "").isEmpty()
                && "32".equals(System.getProperty("sun.arch.data.model"));
        if (!javaHome.equals(System.getProperty("java.home"))) {
            assumeTrue(Files.isExecutable(java) && "64".equals(System.getProperty("sun.arch.data.model")),
                    what + ": needs " + java + " and the x86-64 library");
        }
        List<String> lines = runChild(java, emulated, locale, options, names);
        List<String> expected = new ArrayList<>();
        List<String> files = new ArrayList<>();
        for (int i = 0; i < names.size(); i++) {
            boolean ok = representable.get(i);
            expected.add(i + " make " + (ok ? 0 : -1) + " read " + (ok ? "panel " + i : "null")
                    + " header " + ok + " seen " + ok);
            if (ok) files.add(names.get(i));
        }
        assertEquals(expected, lines, what);
        try (Stream<Path> entries = Files.list(dir)) {
            List<String> found = entries.map(p -> p.getFileName().toString()).sorted().collect(Collectors.toList());
            assertEquals(files.stream().sorted().collect(Collectors.toList()), found, what);
        }
    }

    private List<String> runChild(Path java, boolean emulated, String locale, List<String> options,
            List<String> names) throws Exception {
        List<String> command = new ArrayList<>();
        if (emulated) command.add(System.getenv("MAKEBIN_I386_EMULATOR"));
        command.add(java.toString());
        if (emulated) command.add("-Xint");
        command.add("-Xcheck:jni");
        command.add("-Djava.library.path=" + System.getProperty("java.library.path"));
        command.addAll(options);
        command.add("-cp");
        command.add(location(JNIMakeBin.class) + File.pathSeparator + location(BinFileNameTest.class));
        command.add(Child.class.getName());
        command.add(dir.toString());
        // Each name travels as its UTF-16 code units: the command line is bytes in the child's locale.
        for (String name : names) {
            command.add(name.chars().mapToObj(Integer::toString).collect(Collectors.joining(",")));
        }
        ProcessBuilder builder = new ProcessBuilder(command).redirectErrorStream(true);
        builder.environment().put("LC_ALL", locale);
        Process process = builder.start();
        String out = new String(process.getInputStream().readAllBytes(), StandardCharsets.US_ASCII);
        assertEquals(true, process.waitFor(600, TimeUnit.SECONDS), "child JVM did not end");
        assertFalse(out.contains("WARNING in native method"), out);
        assertEquals(0, process.exitValue(), out);
        // Newer JVMs warn about native access on their own lines.
        return out.lines().filter(line -> line.matches("\\d+ make .*")).collect(Collectors.toList());
    }

    private static String location(Class<?> type) throws Exception {
        return Path.of(type.getProtectionDomain().getCodeSource().getLocation().toURI()).toString();
    }

    /** Makes one file per name, then reads each back and asks Java's File about it. */
    public static final class Child {
        public static void main(String[] args) {
            JNIMakeBin jni = new JNIMakeBin();
            List<String> paths = new ArrayList<>();
            for (int i = 1; i < args.length; i++) {
                StringBuilder name = new StringBuilder();
                for (String unit : args[i].split(",")) name.append((char) Integer.parseInt(unit));
                paths.add(args[0] + File.separator + name);
            }
            int[] made = new int[paths.size()];
            for (int i = 0; i < paths.size(); i++) {
                DataParam panel = new DataParam();
                panel.chName = "panel " + i;
                HeaderParam header = new HeaderParam();
                header.u32TotalNum = 1;
                made[i] = jni.makePanelBin(header, new DataParam[] {panel}, paths.get(i), "R100");
            }
            for (int i = 0; i < paths.size(); i++) {
                DataParam back = jni.readBinBody(new DataParam(), 0, paths.get(i), "R100");
                boolean header = jni.readBinHeader(new HeaderParam(), paths.get(i), "R100") != null;
                System.out.println(i + " make " + made[i] + " read " + (back == null ? "null" : back.chName)
                        + " header " + header + " seen " + new File(paths.get(i)).isFile());
            }
        }
    }
}
