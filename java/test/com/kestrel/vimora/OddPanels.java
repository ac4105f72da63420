package com.kestrel.vimora;

import com.kestrel.vimora.model.DataParam;

/** Classes that are almost, but not quite, what the library expects. */
final class OddPanels {
    private OddPanels() {}

    /** A header without u32Index. */
    static final class HeaderWithoutIndex {
        public int enMedia;
        public int u32Addr;
        public int u32TotalNum;
    }

    /** A panel whose name is an int, not a String. */
    static final class NameAsInt {
        public int chName;
    }

    /** Hides DataParam's width behind its own: conversion to a record sees this one. */
    static final class ShadowingPanel extends DataParam {
        public int u32PanelWidth;
    }

    /** Every field R100 uses and none that only R120 uses. */
    static final class R100Only {
        public String chName = "r100 only";
        public int u32PanelWidth, u32Panelheight, u32FrameRateMax, bSupport48Hz, en3DType;
        public int enResolutionType, enIntfType, enPanelLinkType, enPanelBitWidth;
        public int u32LvdsSpreadRatio, enLvdsSpreadFreq, enLvdsFmt;
        public int enLink1, enLink2, enLink3, enLink4, enLvdsDrvCurrent, enLvdsComVoltage;
        public int bGroupSwap, bLeftInternalSwap, bRightInternalSwap, bBit0AtHighBit;
        public int enDataMode, enVb1ByteNum, enVb1Current, enVb1Emphasis;
        public int u32Vb1SpreadRatio, enVb1SpreadFreq;
        public int stTiming60HzPixelClk, stTiming50HzPixelClk, stTiming48HzPixelClk;
        public int stTiming60HzHtotal, stTiming50HzHtotal, stTiming48HzHtotal;
        public int stTiming60HzVtotal, stTiming50HzVtotal, stTiming48HzVtotal;
        public int u16Timing60HzHsyncFP, u16Timing50HzHsyncFP, u16Timing48HzHsyncFP;
        public int u16Timing60HzVsyncFP, u16Timing50HzVsyncFP, u16Timing48HzVsyncFP;
        public int u16HsyncWidth, u16VsyncWidth;
        public int bHSyncOutput, bVSyncOutput, bHSyncNegative, bVSyncNegative, bDeNegative;
        public int bPwmPostive, u32DimmingFreq60hz, u32DimmingFreq50hz, u32DimmingFreq48hz;
        public int u32IntfSignalOnDelay, u32BLOnDelay, u32BLOffDelay, u32IntfSignalOffDelay;
        public int u32PanelBackLightPwm, u32BlPwmUserMin, u32BlPwmUserMax;
        public int enPanelFlipType, enPanelFixrateType, enTimmingChangeType, u32ChangeStep;
        public int enDivisionType;
        public String cPqBinPath = "pq/only.bin";
        public int bFrmRateChangeBlack, u32MuteTime, bLocalDimmingSupport;
        public int u8HorAreaNum, u8VerAreaNum;
    }
}
