package com.kestrel.vimora.board;

import com.kestrel.vimora.model.DataParam;
import java.util.Random;
import java.util.Set;

/** Sample panels whose values all survive the trip to a board and back. */
final class Panels {
    private Panels() {}

    /** Fields kept outside the panel info record: they never travel to the board. */
    static final Set<String> OUTSIDE_PANEL_INFO = Set.of(
            "u32PanelBackLightPwm", "u32BlPwmUserMin", "u32BlPwmUserMax", "cPqBinPath",
            "sendI2c", "i2cCmdNum", "i2cCmdLen", "tconToi2cDelay", "i2cItervalDelay",
            "i2cDataArray", "pullGpio", "gpioNum", "gpioDataSingleArray", "localdimingSupport",
            "matrixNum", "ldmActNumSingleArray", "checkSumInHead", "checkSumPos",
            "protHeadLength", "protTailLength", "protHeadDataArray", "protTailDataArray");

    /** Panel info fields that only the older layout has. */
    static final Set<String> R100_ONLY = Set.of(
            "bFrmRateChangeBlack", "u32MuteTime", "bLocalDimmingSupport", "u8HorAreaNum",
            "u8VerAreaNum");

    static DataParam sample(long seed) {
        Random r = new Random(seed);
        DataParam p = new DataParam();
        p.chName = "Panel-" + seed + "-液晶";
        p.cPqBinPath = "/pq/" + seed + ".bin";
        p.u32PanelWidth = 3840;
        p.u32Panelheight = 2160;
        p.u32FrameRateMax = 120;
        p.bSupport48Hz = 1;
        p.en3DType = r.nextInt(5);
        p.enResolutionType = r.nextInt(6);
        p.enIntfType = r.nextInt(3);
        p.enPanelLinkType = r.nextInt(4);
        p.enPanelBitWidth = r.nextInt(4);
        p.u32LvdsSpreadRatio = r.nextInt();
        p.enLvdsSpreadFreq = r.nextInt(4);
        p.enLvdsFmt = r.nextInt(3);
        p.enLink1 = r.nextInt(4);
        p.enLink2 = r.nextInt(4);
        p.enLink3 = r.nextInt(4);
        p.enLink4 = r.nextInt(4);
        p.enLvdsDrvCurrent = r.nextInt(8);
        p.enLvdsComVoltage = r.nextInt(8);
        p.bGroupSwap = r.nextInt(2);
        p.bLeftInternalSwap = r.nextInt(2);
        p.bRightInternalSwap = r.nextInt(2);
        p.bBit0AtHighBit = r.nextInt(2);
        p.enDataMode = r.nextInt(7);
        p.enVb1ByteNum = r.nextInt(3);
        p.enVb1Current = r.nextInt(5);
        p.enVb1Emphasis = r.nextInt(4);
        p.u32Vb1SpreadRatio = r.nextInt();
        p.enVb1SpreadFreq = r.nextInt(4);
        p.stTiming60HzPixelClk = 594000;
        p.stTiming50HzPixelClk = r.nextInt();
        p.stTiming48HzPixelClk = r.nextInt();
        p.stTiming60HzHtotal = 4400;
        p.stTiming50HzHtotal = 5280;
        p.stTiming48HzHtotal = r.nextInt();
        p.stTiming60HzVtotal = 2250;
        p.stTiming50HzVtotal = 2250;
        p.stTiming48HzVtotal = r.nextInt();
        p.u16Timing60HzHsyncFP = r.nextInt(65536);
        p.u16Timing50HzHsyncFP = r.nextInt(65536);
        p.u16Timing48HzHsyncFP = r.nextInt(65536);
        p.u16Timing60HzVsyncFP = r.nextInt(65536);
        p.u16Timing50HzVsyncFP = r.nextInt(65536);
        p.u16Timing48HzVsyncFP = r.nextInt(65536);
        p.u16HsyncWidth = r.nextInt(65536);
        p.u16VsyncWidth = r.nextInt(65536);
        p.bHSyncOutput = r.nextInt(2);
        p.bVSyncOutput = r.nextInt(2);
        p.bHSyncNegative = r.nextInt(2);
        p.bVSyncNegative = r.nextInt(2);
        p.bDeNegative = r.nextInt(2);
        p.bPwmPostive = r.nextInt(2);
        p.u32DimmingFreq60hz = r.nextInt();
        p.u32DimmingFreq50hz = r.nextInt();
        p.u32DimmingFreq48hz = r.nextInt();
        p.u32IntfSignalOnDelay = r.nextInt();
        p.u32BLOnDelay = r.nextInt();
        p.u32BLOffDelay = r.nextInt();
        p.u32IntfSignalOffDelay = r.nextInt();
        p.u32PanelBackLightPwm = 1 + r.nextInt(255);
        p.u32BlPwmUserMin = 1 + r.nextInt(255);
        p.u32BlPwmUserMax = 1 + r.nextInt(255);
        p.enPanelFlipType = r.nextInt(4);
        p.enPanelFixrateType = r.nextInt(3);
        p.enTimmingChangeType = r.nextInt(4);
        p.u32ChangeStep = r.nextInt();
        p.enDivisionType = r.nextInt(3);
        p.bFrmRateChangeBlack = 1;
        p.u32MuteTime = 1 + r.nextInt(1000);
        p.bLocalDimmingSupport = 1;
        p.u8HorAreaNum = 1 + r.nextInt(300);
        p.u8VerAreaNum = 1 + r.nextInt(300);
        p.sendI2c = 1;
        p.i2cCmdNum = 1 + r.nextInt(10);
        p.i2cCmdLen = 1 + r.nextInt(12);
        p.tconToi2cDelay = 1 + r.nextInt(100);
        p.i2cItervalDelay = 1 + r.nextInt(100);
        p.pullGpio = 1;
        p.gpioNum = 1 + r.nextInt(8);
        p.localdimingSupport = 1;
        p.matrixNum = 1 + r.nextInt(6);
        p.checkSumInHead = 1;
        p.checkSumPos = 1 + r.nextInt(255);
        p.protHeadLength = 1 + r.nextInt(8);
        p.protTailLength = 1 + r.nextInt(8);
        for (int[] array : new int[][] {p.i2cDataArray, p.gpioDataSingleArray,
                p.ldmActNumSingleArray, p.protHeadDataArray, p.protTailDataArray}) {
            for (int i = 0; i < array.length; i++) {
                array[i] = 1 + r.nextInt(255);
            }
        }
        return p;
    }
}
