package com.kestrel.vimora.jni;

import com.kestrel.vimora.model.DataParam;
import com.kestrel.vimora.model.HeaderParam;

/**
 * The native half of the panel tool: panel bin files and the board link.
 *
 * <p>Int results are 0 for success and -1 for failure. The two bin-file
 * readers return the object they were given, filled in, or null.
 */
public class JNIMakeBin {
    static {
        System.loadLibrary("makebin");
    }

    /** Writes a panel bin file of 819200 bytes. */
    public native int makePanelBin(HeaderParam headerParam, DataParam[] dataParamArray,
                                   String fileName, String chipSeries);

    /** Fills {@code headerParam} from a bin file's header, or returns null. */
    public native HeaderParam readBinHeader(HeaderParam headerParam, String fileName,
                                            String chipSeries);

    /** Fills {@code dataParam} from panel {@code panelIndex} of a bin file, or returns null. */
    public native DataParam readBinBody(DataParam dataParam, int panelIndex, String fileName,
                                        String chipSeries);

    /** Opens the board link over a serial line (always 115200 baud, 8N1). */
    public native int startSerialConnection(String portName, int timeout, int baudRate,
                                            int dataBits, int stopBits, int parity,
                                            int flowControl);

    /** Selects the board link over TCP; the board is contacted per request. */
    public native int startNetConnection(String ip, int port);

    /** Closes the board link. */
    public native int endConnection();

    /** Sends one panel's parameters to the board. */
    public native int writePanelDataToBoard(DataParam dataParam, String chipSeries);

    /** Fetches one panel's parameters from the board into {@code dataParam}. */
    public native int readPanelDataFromBoard(DataParam dataParam, String chipSeries);

    /** The text of the last board-link failure, or null before any start. */
    public native String getStrError();
}
