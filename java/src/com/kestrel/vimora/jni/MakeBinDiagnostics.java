package com.kestrel.vimora.jni;

/**
 * Why the last call of this thread into the makebin library failed, in plain
 * words, beside what {@link JNIMakeBin}'s methods return (which stays as it
 * is).
 *
 * <p>After {@code makePanelBin}, {@code readBinHeader}, {@code readBinBody}
 * or a board method returned -1 or null, {@link #lastFailure()} says why: the
 * argument that was null, the file and the system's reason, the fault found
 * in the file and where, the panel that could not be converted, or the board
 * step that failed with the link's own text after it. Each thread has its
 * own; a call that succeeded clears it. The library writes no log: an
 * application logs the reason itself:
 *
 * <pre>{@code
 * if (jni.makePanelBin(header, panels, file, chip) != 0) {
 *     log.warning("makePanelBin failed: " + MakeBinDiagnostics.lastFailure());
 * }
 * }</pre>
 */
public final class MakeBinDiagnostics {
    static {
        System.loadLibrary("makebin");
    }

    private MakeBinDiagnostics() {}

    /**
     * Why this thread's last call into the library failed, or null when it
     * succeeded (or no call was made on this thread yet).
     */
    public static native String lastFailure();

    /**
     * What this thread's last call into the library accepted but its caller
     * may not have meant (a chip series taken as R100, a header whose panel
     * total differs from the panels given); empty when there was nothing.
     */
    public static native String[] lastNotes();

    /** The version of the loaded library, such as "1.0.0". */
    public static native String libraryVersion();
}
