package com.kestrel.vimora.demo;

import com.kestrel.vimora.jni.JNIMakeBin;
import com.kestrel.vimora.jni.MakeBinDiagnostics;
import com.kestrel.vimora.model.DataParam;
import com.kestrel.vimora.model.HeaderParam;
import java.io.BufferedReader;
import java.io.IOException;
import java.io.InputStreamReader;
import java.nio.charset.StandardCharsets;
import java.lang.reflect.Field;
import java.nio.file.Files;
import java.nio.file.Path;
import java.nio.file.StandardCopyOption;
import java.util.ArrayList;
import java.util.Arrays;
import java.util.Comparator;
import java.util.List;
import java.util.Objects;
import java.util.Set;
import java.util.concurrent.TimeUnit;
import java.util.stream.Stream;

/**
 * Shows the library at work, one section per subsystem. Each section prints
 * what it did and whether everything came back as sent. The last line counts
 * the sections as steps, for ./run to add up: "demo: 3 of 3 steps passed", or
 * with ", failed: " and the names of those that did not; the demo then exits
 * non-zero.
 */
public final class Demo {
    private final JNIMakeBin jni = new JNIMakeBin();
    private final Path workDir;
    private final List<String> failed = new ArrayList<>();
    private int passed;

    private Demo(Path workDir) {
        this.workDir = workDir;
    }

    /** One section: true when everything came back as sent. */
    private interface Section {
        boolean run() throws IOException;
    }

    /** Runs a section; one that throws counts as failed, and the others still run. */
    private void step(String name, Section section) {
        boolean ok;
        try {
            ok = section.run();
        } catch (IOException | RuntimeException e) {
            System.out.println(name + ": " + e);
            ok = false;
        }
        if (ok) {
            ++passed;
        } else {
            failed.add(name);
        }
    }

    public static void main(String[] args) throws IOException {
        Path dir = Files.createTempDirectory("makebin-demo");
        Demo demo = new Demo(dir);
        try {
            demo.step("bin file R100", () -> demo.binFileSection("R100"));
            demo.step("bin file R120", () -> demo.binFileSection("R120"));
            demo.step("board link", demo::boardSection);
            demo.step("failure reason", demo::failureReasonSection);
            keepFiles(dir);
        } finally {
            try (Stream<Path> files = Files.walk(dir)) {
                for (Path p : files.sorted(Comparator.reverseOrder()).toArray(Path[]::new)) {
                    Files.delete(p);
                }
            }
        }
        int total = demo.passed + demo.failed.size();
        System.out.println();
        System.out.println("demo: " + demo.passed + " of " + total + " steps passed"
                + (demo.failed.isEmpty() ? "" : ", failed: " + String.join(", ", demo.failed)));
        if (!demo.failed.isEmpty()) System.exit(1);
    }

    /**
     * Copies the bin files made into the folder that the system property
     * makebin.demo.keep names, if it is set, for tools to look at afterwards.
     */
    private static void keepFiles(Path dir) throws IOException {
        String keep = System.getProperty("makebin.demo.keep");
        if (keep == null || keep.isEmpty()) return;
        Path target = Files.createDirectories(Path.of(keep));
        for (String chip : new String[] {"R100", "R120"}) {
            Path file = dir.resolve("panels-" + chip + ".bin");
            if (Files.exists(file)) {
                Files.copy(file, target.resolve(file.getFileName()), StandardCopyOption.REPLACE_EXISTING);
            }
        }
    }

    /** A read that fails, and the reason the library gives for it. */
    private boolean failureReasonSection() {
        System.out.println();
        System.out.println("== Why a call failed (library " + MakeBinDiagnostics.libraryVersion() + ") ==");
        Path missing = workDir.resolve("no-such.bin");
        HeaderParam header = jni.readBinHeader(new HeaderParam(), missing.toString(), "R100");
        String reason = MakeBinDiagnostics.lastFailure();
        System.out.printf("readBinHeader(%s) -> %s%nreason: %s%n", missing.getFileName(),
                header == null ? "null" : "a header?", reason);
        return header == null && reason != null && reason.contains(missing.toString());
    }

    /** Makes a bin file of sample panels, reads the header and every panel back. */
    private boolean binFileSection(String chip) {
        System.out.println();
        System.out.println("== Panel bin file, " + chip + " ==");
        DataParam[] panels = samplePanels(chip);
        HeaderParam header = new HeaderParam();
        header.enMedia = 1; // SPI flash
        header.u32Addr = 0x00200000;
        header.u32TotalNum = panels.length;
        header.u32Index = 1;
        Path file = workDir.resolve("panels-" + chip + ".bin");
        int made = jni.makePanelBin(header, panels, file.toString(), chip);
        System.out.printf("makePanelBin(%d panels) -> %d, %s%n", panels.length, made, sizeOf(file));
        if (made != 0) return false;

        HeaderParam headerBack = jni.readBinHeader(new HeaderParam(), file.toString(), chip);
        boolean ok = headerBack != null && sameFields(header, headerBack);
        System.out.printf("readBinHeader -> media %d, address 0x%08X, %d panels, selected %d  [%s]%n",
                headerBack == null ? -1 : headerBack.enMedia, headerBack == null ? 0 : headerBack.u32Addr,
                headerBack == null ? 0 : headerBack.u32TotalNum, headerBack == null ? 0 : headerBack.u32Index,
                ok ? "same" : "DIFFERS");

        System.out.printf("%-5s %-24s %-11s %-8s %-6s %-9s %-6s%n",
                "index", "name", "size", "intf", "rate", "backlight", "read");
        for (int i = 0; i < panels.length; ++i) {
            DataParam back = jni.readBinBody(new DataParam(), i, file.toString(), chip);
            boolean same = back != null && sameFields(panels[i], back);
            ok &= same;
            DataParam shown = back != null ? back : panels[i];
            System.out.printf("%-5d %-24s %-11s %-8s %-6d %-9d %-6s%n", i, shown.chName,
                    shown.u32PanelWidth + "x" + shown.u32Panelheight, INTERFACES[shown.enIntfType],
                    shown.u32FrameRateMax, shown.u32PanelBackLightPwm, same ? "same" : "DIFFERS");
        }
        DataParam beyond = jni.readBinBody(new DataParam(), panels.length, file.toString(), chip);
        System.out.printf("readBinBody(index %d) -> %s%n", panels.length, beyond == null ? "null (no such panel)" : "a panel?");
        return ok && beyond == null;
    }

    /** Fields kept outside the panel info record: they stay on the host, never reach a board. */
    private static final Set<String> HOST_ONLY = Set.of(
            "u32PanelBackLightPwm", "u32BlPwmUserMin", "u32BlPwmUserMax", "cPqBinPath",
            "sendI2c", "i2cCmdNum", "i2cCmdLen", "tconToi2cDelay", "i2cItervalDelay",
            "i2cDataArray", "pullGpio", "gpioNum", "gpioDataSingleArray", "localdimingSupport",
            "matrixNum", "ldmActNumSingleArray", "checkSumInHead", "checkSumPos",
            "protHeadLength", "protTailLength", "protHeadDataArray", "protTailDataArray");
    private static final Set<String> R100_ONLY = Set.of(
            "bFrmRateChangeBlack", "u32MuteTime", "bLocalDimmingSupport", "u8HorAreaNum",
            "u8VerAreaNum");

    /** Starts the board simulator, then writes and reads a panel over TCP and over its pty. */
    private boolean boardSection() throws IOException {
        System.out.println();
        System.out.println("== Board link, against board-sim ==");
        String sim = System.getProperty("makebin.boardSim");
        Process board = new ProcessBuilder(sim, "--tcp", "0", "--pty")
                .redirectError(ProcessBuilder.Redirect.INHERIT).start();
        int port = -1;
        String pty = null;
        BufferedReader out = new BufferedReader(
                new InputStreamReader(board.getInputStream(), StandardCharsets.UTF_8));
        for (String line; (line = out.readLine()) != null && !line.equals("ready"); ) {
            String[] words = line.split(" ");
            if (words[0].equals("tcp")) port = Integer.parseInt(words[2]);
            if (words[0].equals("pty")) pty = words[1];
        }
        System.out.printf("board-sim: tcp 127.0.0.1:%d, serial %s%n", port, pty);
        boolean ok;
        try {
            ok = link("TCP", jni.startNetConnection("127.0.0.1", port));
            ok &= link("serial", jni.startSerialConnection(pty, 5000, 115200, 8, 0, 0, 0));
        } finally {
            stop(board);
        }
        // A board that is gone: the failure and its text, as a user would meet them.
        jni.startNetConnection("127.0.0.1", port);
        int result = jni.writePanelDataToBoard(samplePanels("R100")[0], "R100");
        System.out.printf("with board-sim stopped: writePanelDataToBoard -> %d, getStrError: %s%n",
                result, jni.getStrError());
        return ok && result == -1;
    }

    /** One started link: a panel of each generation written, read back and compared. */
    private boolean link(String kind, int started) {
        System.out.printf("%s: start -> %d%s%n", kind, started, started == 0 ? "" : ", " + jni.getStrError());
        boolean ok = started == 0;
        for (String chip : new String[] {"R100", "R120"}) {
            DataParam sent = samplePanels(chip)[1];
            int wrote = jni.writePanelDataToBoard(sent, chip);
            DataParam back = new DataParam();
            int read = jni.readPanelDataFromBoard(back, chip);
            boolean same = wrote == 0 && read == 0 && samePanelInfo(sent, back, chip);
            ok &= same;
            System.out.printf("  %s \"%s\": write -> %d, read -> %d, panel info %s%s%n", chip,
                    sent.chName, wrote, read, same ? "same" : "DIFFERS",
                    wrote == 0 && read == 0 ? "" : " (" + jni.getStrError() + ")");
            System.out.printf("    came back: %dx%d @%d Hz, %s, backlight %d (kept on the host)%n",
                    back.u32PanelWidth, back.u32Panelheight, back.u32FrameRateMax,
                    INTERFACES[Math.floorMod(back.enIntfType, INTERFACES.length)],
                    back.u32PanelBackLightPwm);
        }
        int ended = jni.endConnection();
        System.out.printf("%s: end -> %d%n", kind, ended);
        return ok && ended == 0;
    }

    private static boolean samePanelInfo(DataParam sent, DataParam back, String chip) {
        try {
            for (Field f : DataParam.class.getFields()) {
                String name = f.getName();
                if (HOST_ONLY.contains(name) || ("R120".equals(chip) && R100_ONLY.contains(name))) {
                    continue;
                }
                if (!Objects.equals(f.get(sent), f.get(back))) {
                    System.out.println("  " + name + ": wrote " + show(f.get(sent)) + ", read "
                            + show(f.get(back)));
                    return false;
                }
            }
            return true;
        } catch (IllegalAccessException e) {
            throw new IllegalStateException(e);
        }
    }

    private static void stop(Process process) {
        process.destroy();
        try {
            if (!process.waitFor(5, TimeUnit.SECONDS)) process.destroyForcibly();
        } catch (InterruptedException e) {
            Thread.currentThread().interrupt();
        }
    }

    private static final String[] INTERFACES = {"LVDS", "VbyOne", "miniLVDS"};

    /**
     * One timing of a well-known mode: pixel clock in kHz, totals and front porches;
     * the sync widths are the panel's, shared by its timings.
     */
    private record Timing(int clockKHz, int htotal, int vtotal, int hFront, int vFront) {}

    // CEA-861 1080p60 / 1080p50 and 1080p at 48 Hz over the 1080p24 line.
    private static final Timing[] FHD = {
        new Timing(148500, 2200, 1125, 88, 4), new Timing(148500, 2640, 1125, 528, 4),
        new Timing(148500, 2750, 1125, 638, 4)};
    // CEA-861 2160p60 / 2160p50 and 2160p at 48 Hz over the 2160p24 line.
    private static final Timing[] UHD = {
        new Timing(594000, 4400, 2250, 176, 8), new Timing(594000, 5280, 2250, 1056, 8),
        new Timing(594000, 5500, 2250, 1276, 8)};
    // VESA DMT 1366x768 at 60 Hz, reduced blanking; no 50 or 48 Hz timing.
    private static final Timing[] HD = {new Timing(72000, 1500, 800, 14, 1)};

    private static DataParam[] samplePanels(String chip) {
        boolean r120 = "R120".equals(chip);
        List<DataParam> panels = new ArrayList<>();
        panels.add(panel("FHD 32\" LVDS", 1920, 1080, 60, 0, r120, FHD, 44, 5));
        panels.add(panel("UHD 55\" V-by-One", 3840, 2160, 120, 1, r120, UHD, 88, 10));
        panels.add(panel("UHD 65\" 液晶 V-by-One", 3840, 2160, 60, 1, r120, UHD, 88, 10));
        panels.add(panel("HD 24\" mini-LVDS", 1366, 768, 60, 2, r120, HD, 56, 3));
        return panels.toArray(new DataParam[0]);
    }

    /** timings: 60 Hz, then 50 and 48 Hz where the panel has them (and then claims 48 Hz). */
    private static DataParam panel(String name, int width, int height, int rate, int intf, boolean r120,
            Timing[] timings, int hSync, int vSync) {
        DataParam p = new DataParam();
        p.chName = name;
        p.u32PanelWidth = width;
        p.u32Panelheight = height;
        p.u32FrameRateMax = rate;
        p.bSupport48Hz = timings.length > 2 ? 1 : 0;
        p.enIntfType = intf;
        p.enResolutionType = width > 2000 ? 1 : 0;
        p.enPanelLinkType = intf == 1 ? 2 : 1;
        p.enPanelBitWidth = 1;
        p.enVb1ByteNum = 1;
        p.en3DType = 0;
        p.enLvdsSpreadFreq = 1;
        p.enVb1SpreadFreq = 2;
        p.stTiming60HzPixelClk = timings[0].clockKHz();
        p.stTiming60HzHtotal = timings[0].htotal();
        p.stTiming60HzVtotal = timings[0].vtotal();
        p.u16Timing60HzHsyncFP = timings[0].hFront();
        p.u16Timing60HzVsyncFP = timings[0].vFront();
        if (timings.length > 2) {
            p.stTiming50HzPixelClk = timings[1].clockKHz();
            p.stTiming50HzHtotal = timings[1].htotal();
            p.stTiming50HzVtotal = timings[1].vtotal();
            p.u16Timing50HzHsyncFP = timings[1].hFront();
            p.u16Timing50HzVsyncFP = timings[1].vFront();
            p.stTiming48HzPixelClk = timings[2].clockKHz();
            p.stTiming48HzHtotal = timings[2].htotal();
            p.stTiming48HzVtotal = timings[2].vtotal();
            p.u16Timing48HzHsyncFP = timings[2].hFront();
            p.u16Timing48HzVsyncFP = timings[2].vFront();
            p.u32DimmingFreq50hz = 200;
            p.u32DimmingFreq48hz = 192;
        }
        p.u16HsyncWidth = hSync;
        p.u16VsyncWidth = vSync;
        p.bHSyncOutput = 1;
        p.bVSyncOutput = 1;
        p.u32DimmingFreq60hz = 240;
        p.u32BLOnDelay = 500;
        p.u32PanelBackLightPwm = 80;
        p.u32BlPwmUserMin = 10;
        p.u32BlPwmUserMax = 100;
        p.enPanelFixrateType = r120 && width > 2000 ? 5 : 2; // UHD_60HZ or (FHD_)60HZ
        p.enDivisionType = 1;
        if (r120) {
            p.sendI2c = 1;
            p.i2cCmdNum = 2;
            p.i2cCmdLen = 3;
            p.i2cDataArray = Arrays.copyOf(new int[] {0x5A, 0x01, 0x00, 0x5A, 0x02, 0x10}, 120);
            p.gpioNum = 1;
            p.gpioDataSingleArray[0] = 12;
            p.gpioDataSingleArray[1] = 1;
        } else {
            p.cPqBinPath = "/pq/" + width + "x" + height + ".bin";
            p.u32MuteTime = 200;
        }
        return p;
    }

    private static boolean sameFields(Object written, Object read) {
        try {
            for (Field f : written.getClass().getFields()) {
                Object a = f.get(written);
                Object b = f.get(read);
                boolean same = a instanceof int[] ? Arrays.equals((int[]) a, (int[]) b) : Objects.equals(a, b);
                if (!same) {
                    System.out.println("  " + f.getName() + ": wrote " + show(a) + ", read " + show(b));
                    return false;
                }
            }
            return true;
        } catch (IllegalAccessException e) {
            throw new IllegalStateException(e);
        }
    }

    private static String show(Object value) {
        return value instanceof int[] ? Arrays.toString((int[]) value) : String.valueOf(value);
    }

    private static String sizeOf(Path file) {
        try {
            return Files.size(file) + " bytes";
        } catch (IOException e) {
            return "no file";
        }
    }
}
