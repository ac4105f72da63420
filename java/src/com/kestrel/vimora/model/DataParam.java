package com.kestrel.vimora.model;

/**
 * One panel's parameters, for both layout generations.
 *
 * <p>Enumerated options carry option identifiers (0, 1, 2, ...), flags carry 1 for
 * true. The R100-only and R120-only groups are ignored by the other generation.
 */
public class DataParam {
    // Both generations.
    public String chName = "";
    public int u32PanelWidth;
    public int u32Panelheight;
    public int u32FrameRateMax;
    public int bSupport48Hz;
    public int en3DType;
    public int enResolutionType;
    public int enIntfType;
    public int enPanelLinkType;
    public int enPanelBitWidth;
    public int u32LvdsSpreadRatio;
    public int enLvdsSpreadFreq;
    public int enLvdsFmt;
    public int enLink1;
    public int enLink2;
    public int enLink3;
    public int enLink4;
    public int enLvdsDrvCurrent;
    public int enLvdsComVoltage;
    public int bGroupSwap;
    public int bLeftInternalSwap;
    public int bRightInternalSwap;
    public int bBit0AtHighBit;
    public int enDataMode;
    public int enVb1ByteNum;
    public int enVb1Current;
    public int enVb1Emphasis;
    public int u32Vb1SpreadRatio;
    public int enVb1SpreadFreq;
    public int stTiming60HzPixelClk;
    public int stTiming50HzPixelClk;
    public int stTiming48HzPixelClk;
    public int stTiming60HzHtotal;
    public int stTiming50HzHtotal;
    public int stTiming48HzHtotal;
    public int stTiming60HzVtotal;
    public int stTiming50HzVtotal;
    public int stTiming48HzVtotal;
    public int u16Timing60HzHsyncFP;
    public int u16Timing50HzHsyncFP;
    public int u16Timing48HzHsyncFP;
    public int u16Timing60HzVsyncFP;
    public int u16Timing50HzVsyncFP;
    public int u16Timing48HzVsyncFP;
    public int u16HsyncWidth;
    public int u16VsyncWidth;
    public int bHSyncOutput;
    public int bVSyncOutput;
    public int bHSyncNegative;
    public int bVSyncNegative;
    public int bDeNegative;
    public int bPwmPostive;
    public int u32DimmingFreq60hz;
    public int u32DimmingFreq50hz;
    public int u32DimmingFreq48hz;
    public int u32IntfSignalOnDelay;
    public int u32BLOnDelay;
    public int u32BLOffDelay;
    public int u32IntfSignalOffDelay;
    public int u32PanelBackLightPwm;
    public int u32BlPwmUserMin;
    public int u32BlPwmUserMax;
    public int enPanelFlipType;
    public int enPanelFixrateType;
    public int enTimmingChangeType;
    public int u32ChangeStep;
    public int enDivisionType;

    // R100 only.
    public String cPqBinPath = "";
    public int bFrmRateChangeBlack;
    public int u32MuteTime;
    public int bLocalDimmingSupport;
    public int u8HorAreaNum;
    public int u8VerAreaNum;

    // R120 only: the advanced info.
    public int sendI2c;
    public int i2cCmdNum;
    public int i2cCmdLen;
    public int tconToi2cDelay;
    public int i2cItervalDelay;
    public int[] i2cDataArray = new int[120];
    public int pullGpio;
    public int gpioNum;
    public int[] gpioDataSingleArray = new int[24];
    public int localdimingSupport;
    public int matrixNum;
    public int[] ldmActNumSingleArray = new int[12];
    public int checkSumInHead;
    public int checkSumPos;
    public int protHeadLength;
    public int protTailLength;
    public int[] protHeadDataArray = new int[8];
    public int[] protTailDataArray = new int[8];
}
