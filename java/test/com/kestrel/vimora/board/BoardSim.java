package com.kestrel.vimora.board;

import java.io.BufferedReader;
import java.io.IOException;
import java.io.InputStreamReader;
import java.nio.charset.StandardCharsets;
import java.nio.file.Files;
import java.nio.file.Path;
import java.util.ArrayList;
import java.util.HexFormat;
import java.util.List;
import java.util.concurrent.TimeUnit;

/** A board simulator process on loopback and a pseudo-terminal, for one test. */
final class BoardSim implements AutoCloseable {
    private final Process process;
    private final Path record;
    int port = -1;
    String pty;

    BoardSim(Path dir, String... options) throws IOException {
        String path = System.getProperty("makebin.boardSim");
        if (path == null || path.isEmpty()) {
            throw new IllegalStateException("system property makebin.boardSim is not set");
        }
        record = dir.resolve("frames-" + System.nanoTime() + ".hex");
        List<String> command = new ArrayList<>(List.of(path, "--tcp", "0", "--pty",
                "--record", record.toString()));
        command.addAll(List.of(options));
        process = new ProcessBuilder(command)
                .redirectError(ProcessBuilder.Redirect.INHERIT).start();
        BufferedReader out = new BufferedReader(
                new InputStreamReader(process.getInputStream(), StandardCharsets.UTF_8));
        for (String line; (line = out.readLine()) != null && !line.equals("ready"); ) {
            String[] words = line.split(" ");
            if (words[0].equals("tcp")) {
                port = Integer.parseInt(words[2]);
            } else if (words[0].equals("pty")) {
                pty = words[1];
            }
        }
        if (port < 0 || pty == null) {
            close();
            throw new IOException("board simulator did not start");
        }
    }

    /** Every frame received so far, in order. */
    List<byte[]> frames() throws IOException {
        List<byte[]> frames = new ArrayList<>();
        if (!Files.exists(record)) {
            return frames;
        }
        for (String line : Files.readAllLines(record, StandardCharsets.US_ASCII)) {
            if (!line.isBlank()) {
                frames.add(HexFormat.of().parseHex(line.trim()));
            }
        }
        return frames;
    }

    /** Frames whose header carries the given command (start texts and others skipped). */
    List<byte[]> framesWithCommand(int command) throws IOException {
        List<byte[]> matching = new ArrayList<>();
        for (byte[] frame : frames()) {
            if (frame.length >= 12 && Wire.u16(frame, 4) == command) {
                matching.add(frame);
            }
        }
        return matching;
    }

    @Override
    public void close() {
        process.destroy();
        try {
            if (!process.waitFor(5, TimeUnit.SECONDS)) {
                process.destroyForcibly();
            }
        } catch (InterruptedException e) {
            Thread.currentThread().interrupt();
        }
    }
}
