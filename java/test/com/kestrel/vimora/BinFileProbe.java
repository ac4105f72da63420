package com.kestrel.vimora;

/**
 * The bin file operations reachable with any object, for the classes a
 * {@code JNIMakeBin} caller cannot pass (fields missing or of another type),
 * and the process's file size limit.
 */
final class BinFileProbe {
    static {
        System.loadLibrary("makebintest");
    }

    private BinFileProbe() {}

    static native int makePanelBin(Object header, Object[] panels, String file, String chip);

    /** makePanelBin's result, or how often it called the bulk helper when it made the file. */
    static native int gathersOfMakePanelBin(Object header, Object[] panels, String file, String chip);

    static native Object readBinHeader(Object header, String file, String chip);

    static native Object readBinBody(Object panel, int index, String file, String chip);

    /** The soft limit in bytes, -1 for none. */
    static native long fileSizeLimit();

    static native boolean setFileSizeLimit(long bytes);
}
