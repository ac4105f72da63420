/* Panel records and their enumerations.
 *
 * These records travel as raw images: in panel bin files and over the board
 * link. Their layout is a file and wire format, little-endian, with no gaps
 * except the trailing byte of KS_UNF_PANEL_ADVANCE_INFO_S. The layout checks
 * in panel/model/layout_pins.cpp pin every size and offset. */
#ifndef KS_UNF_PANEL_H
#define KS_UNF_PANEL_H

#include "ks_type.h"

/* Common-mode voltage of the LVDS lines. */
typedef enum ksUNF_PANEL_LVDS_VOLTAGE_E KS_ENUM_U32 {
    KS_UNF_PANEL_LVDS_VOLTAGE_1250MV = 0,
    KS_UNF_PANEL_LVDS_VOLTAGE_1100MV = 1,
    KS_UNF_PANEL_LVDS_VOLTAGE_1150MV = 2,
    KS_UNF_PANEL_LVDS_VOLTAGE_1200MV = 3,
    KS_UNF_PANEL_LVDS_VOLTAGE_1300MV = 4,
    KS_UNF_PANEL_LVDS_VOLTAGE_1350MV = 5,
    KS_UNF_PANEL_LVDS_VOLTAGE_1400MV = 6,
    KS_UNF_PANEL_LVDS_VOLTAGE_1450MV = 7,
    KS_UNF_PANEL_LVDS_VOLTAGE_BUTT = 8
} KS_UNF_PANEL_LVDS_VOLTAGE_E;

/* LVDS drive swing. */
typedef enum ksUNF_PANEL_LVDS_CURRENT_E KS_ENUM_U32 {
    KS_UNF_PANEL_LVDS_CURRENT_200MV = 0,
    KS_UNF_PANEL_LVDS_CURRENT_150MV = 1,
    KS_UNF_PANEL_LVDS_CURRENT_250MV = 2,
    KS_UNF_PANEL_LVDS_CURRENT_300MV = 3,
    KS_UNF_PANEL_LVDS_CURRENT_350MV = 4,
    KS_UNF_PANEL_LVDS_CURRENT_400MV = 5,
    KS_UNF_PANEL_LVDS_CURRENT_450MV = 6,
    KS_UNF_PANEL_LVDS_CURRENT_500MV = 7,
    KS_UNF_PANEL_LVDS_CURRENT_BUTT = 8
} KS_UNF_PANEL_LVDS_CURRENT_E;

/* LVDS spread-spectrum frequency; values start at 2. */
typedef enum ksUNF_PANEL_LVDS_SSFREQ_E KS_ENUM_U32 {
    KS_UNF_PANEL_LVDS_SSFREQ_93P75KHZ = 2,
    KS_UNF_PANEL_LVDS_SSFREQ_62P5KHZ = 3,
    KS_UNF_PANEL_LVDS_SSFREQ_46P875KHZ = 4,
    KS_UNF_PANEL_LVDS_SSFREQ_37P5KHZ = 5,
    KS_UNF_PANEL_LVDS_SSFREQ_BUTT = 6
} KS_UNF_PANEL_LVDS_SSFREQ_E;

/* V-by-One spread-spectrum frequency; values start at 2. */
typedef enum ksUNF_PANEL_VBO_SSFREQ_E KS_ENUM_U32 {
    KS_UNF_PANEL_VBO_SSFREQ_46P875KHZ = 2,
    KS_UNF_PANEL_VBO_SSFREQ_31P250KHZ = 3,
    KS_UNF_PANEL_VBO_SSFREQ_23P438KHZ = 4,
    KS_UNF_PANEL_VBO_SSFREQ_18P750KHZ = 5,
    KS_UNF_PANEL_VBO_SSFREQ_BUTT = 6
} KS_UNF_PANEL_VBO_SSFREQ_E;

/* Flip and mirror. */
typedef enum ksUNF_PANEL_FLIP_TYPE_E KS_ENUM_U32 {
    KS_UNF_PANEL_FLIP_TYPE_NONE = 0,
    KS_UNF_PANEL_FLIP_TYPE_FLIP = 1,
    KS_UNF_PANEL_FLIP_TYPE_MIRROR = 2,
    KS_UNF_PANEL_FLIP_TYPE_FLIP_MIRROR = 3,
    KS_UNF_PANEL_FLIP_TYPE_BUTT = 4
} KS_UNF_PANEL_FLIP_TYPE_E;

/* Fixed output rate, older layout. */
typedef enum ksUNF_PANEL_FIXRATE_TYPE_E_R100 KS_ENUM_U32 {
    KS_UNF_PANEL_FIXRATE_TYPE_NONE_R100 = 0,
    KS_UNF_PANEL_FIXRATE_TYPE_50HZ_R100 = 1,
    KS_UNF_PANEL_FIXRATE_TYPE_60HZ_R100 = 2,
    KS_UNF_PANEL_FIXRATE_TYPE_BUTT_R100 = 3
} KS_UNF_PANEL_FIXRATE_TYPE_E_R100;

/* Fixed output rate, newer layout. */
typedef enum ksUNF_PANEL_FIXRATE_TYPE_E_R120 KS_ENUM_U32 {
    KS_UNF_PANEL_FIXRATE_TYPE_NONE = 0,
    KS_UNF_PANEL_FIXRATE_TYPE_FHD_50HZ = 1,
    KS_UNF_PANEL_FIXRATE_TYPE_FHD_60HZ = 2,
    KS_UNF_PANEL_FIXRATE_TYPE_FHD_OTHER = 3,
    KS_UNF_PANEL_FIXRATE_TYPE_UHD_50HZ = 4,
    KS_UNF_PANEL_FIXRATE_TYPE_UHD_60HZ = 5,
    KS_UNF_PANEL_FIXRATE_TYPE_UHD_OTHER = 6,
    KS_UNF_PANEL_FIXRATE_TYPE_BUTT = 7
} KS_UNF_PANEL_FIXRATE_TYPE_E_R120;

/* Number of links; the terminator is spelled with LVDS. */
typedef enum ksUNF_PANEL_LINKTYPE_E KS_ENUM_U32 {
    KS_UNF_PANEL_LINKTYPE_1LINK = 0,
    KS_UNF_PANEL_LINKTYPE_2LINK = 1,
    KS_UNF_PANEL_LINKTYPE_4LINK = 2,
    KS_UNF_PANEL_LINKTYPE_8LINK = 3,
    KS_UNF_LVDS_LINKTYPE_BUTT = 4
} KS_UNF_PANEL_LINKTYPE_E;

/* Pixel stream routed to an LVDS link. */
typedef enum ksUNF_PANEL_LVDS_LINKMAP_E KS_ENUM_U32 {
    KS_UNF_PANEL_LVDS_LINKMAP_PIXEL0 = 0,
    KS_UNF_PANEL_LVDS_LINKMAP_PIXEL1 = 1,
    KS_UNF_PANEL_LVDS_LINKMAP_PIXEL2 = 2,
    KS_UNF_PANEL_LVDS_LINKMAP_PIXEL3 = 3,
    KS_UNF_PANEL_LVDS_LINKMAP_BUTT = 4
} KS_UNF_PANEL_LVDS_LINKMAP_E;

/* Bits per colour; 6 bit comes after 12 bit. */
typedef enum ksUNF_PANEL_BITWIDTH_E KS_ENUM_U32 {
    KS_UNF_PANEL_BITWIDTH_8BIT = 0,
    KS_UNF_PANEL_BITWIDTH_10BIT = 1,
    KS_UNF_PANEL_BITWIDTH_12BIT = 2,
    KS_UNF_PANEL_BITWIDTH_6BIT = 3,
    KS_UNF_PANEL_BITWIDTH_BUTT = 4
} KS_UNF_PANEL_BITWIDTH_E;

/* LVDS bit mapping. */
typedef enum ksUNF_PANEL_LVDS_FMT_E KS_ENUM_U32 {
    KS_UNF_PANEL_LVDS_FMT_VESA = 0,
    KS_UNF_PANEL_LVDS_FMT_JEIDA = 1,
    KS_UNF_PANEL_LVDS_FMT_FP = 2,
    KS_UNF_PANEL_LVDS_FMT_BUTT = 3
} KS_UNF_PANEL_LVDS_FMT_E;

/* Resolution class. */
typedef enum ksUNF_PANEL_PANEL_TYPE_E KS_ENUM_U32 {
    KS_UNF_PANEL_TYPE_FHD = 0,
    KS_UNF_PANEL_TYPE_4K = 1,
    KS_UNF_PANEL_TYPE_FHD_4K_30_MISC = 2,
    KS_UNF_PANEL_TYPE_FHD_4K_60_MISC = 3,
    KS_UNF_PANEL_TYPE_4K_30_60_MISC = 4,
    KS_UNF_PANEL_TYPE_FHD_4K_30_60_MISC = 5,
    KS_UNF_PANEL_TYPE_BUTT = 6
} KS_UNF_PANEL_TYPE_E;

/* V-by-One data mode. */
typedef enum ksUNF_PANEL_VBO_DATAMODE_E KS_ENUM_U32 {
    KS_UNF_PANEL_VBO_DATAMODE_30BIT444 = 0,
    KS_UNF_PANEL_VBO_DATAMODE_36BIT444 = 1,
    KS_UNF_PANEL_VBO_DATAMODE_24BIT444 = 2,
    KS_UNF_PANEL_VBO_DATAMODE_18BIT444 = 3,
    KS_UNF_PANEL_VBO_DATAMODE_24BIT422 = 4,
    KS_UNF_PANEL_VBO_DATAMODE_20BIT422 = 5,
    KS_UNF_PANEL_VBO_DATAMODE_16BIT422 = 6,
    KS_UNF_PANEL_VBO_DATAMODE_BUTT = 7
} KS_UNF_PANEL_VBO_DATAMODE_E;

/* V-by-One byte mode; the value is the byte count itself. */
typedef enum ksUNF_PANEL_VBO_BYTE_NUM_E KS_ENUM_U32 {
    KS_UNF_PANEL_VBO_BYTE_NUM_3 = 3,
    KS_UNF_PANEL_VBO_BYTE_NUM_4 = 4,
    KS_UNF_PANEL_VBO_BYTE_NUM_5 = 5,
    KS_UNF_PANEL_VBO_BYTE_NUM_BUTT = 6
} KS_UNF_PANEL_VBO_BYTE_NUM;

/* V-by-One drive swing. */
typedef enum ksUNF_PANEL_VBO_CURRENT_E KS_ENUM_U32 {
    KS_UNF_PANEL_VBO_CURRENT_300MV = 0,
    KS_UNF_PANEL_VBO_CURRENT_200MV = 1,
    KS_UNF_PANEL_VBO_CURRENT_250MV = 2,
    KS_UNF_PANEL_VBO_CURRENT_350MV = 3,
    KS_UNF_PANEL_VBO_CURRENT_400MV = 4,
    KS_UNF_PANEL_VBO_CURRENT_BUTT = 5
} KS_UNF_PANEL_VBO_CURRENT_E;

/* V-by-One pre-emphasis. */
typedef enum ksUNF_PANEL_VBO_EMP_E KS_ENUM_U32 {
    KS_UNF_PANEL_VBO_EMP_0DB = 0,
    KS_UNF_PANEL_VBO_EMP_2DB = 1,
    KS_UNF_PANEL_VBO_EMP_3P5DB = 2,
    KS_UNF_PANEL_VBO_EMP_6DB = 3,
    KS_UNF_PANEL_VBO_EMP_BUTT = 4
} KS_UNF_PANEL_VBO_EMP_E;

/* Panel interface. */
typedef enum ksUNF_PANEL_INTFTYPE_E KS_ENUM_U32 {
    KS_UNF_PANEL_PANEL_INTFTYPE_LVDS = 0,
    KS_UNF_PANEL_PANEL_INTFTYPE_VBONE = 1,
    KS_UNF_PANEL_PANEL_INTFTYPE_MINLVDS = 2,
    KS_UNF_PANEL_PANEL_INTFTYPE_BUTT = 3
} KS_UNF_PANEL_INTFTYPE_E;

/* 3D format; the values have gaps. */
typedef enum ksUNF_DISP_3D_E KS_ENUM_U32 {
    KS_UNF_DISP_2D = 0,
    KS_UNF_DISP_3D_SBS = 2,
    KS_UNF_DISP_3D_FS = 4,
    KS_UNF_DISP_3D_PR_LR = 5,
    KS_UNF_DISP_3D_PR_RL = 9,
    KS_UNF_DISP_3D_BUTT = 10
} KS_UNF_DISP_3D_E;

/* Image division, newer layout. */
typedef enum ksUNF_PANEL_DIVISION_TYPE_E KS_ENUM_U32 {
    KS_UNF_PANEL_DIVISION_ONE_OE = 0,
    KS_UNF_PANEL_DIVISION_ONE = 1,
    KS_UNF_PANEL_DIVISION_TWO = 2,
    KS_UNF_PANEL_DIVISION_FOUR = 3,
    KS_UNF_PANEL_DIVISION_BUTT = 4
} KS_UNF_PANEL_DIVISION_TYPE_E;

/* Image division, older layout. */
typedef enum ksUNF_PANEL_DIVISION_MODE_E KS_ENUM_U32 {
    KS_UNF_PANEL_ONE_DIVISION_NORMAL_MODE = 0,
    KS_UNF_PANEL_ONE_DIVISION_OE_MODE = 1,
    KS_UNF_PANEL_TWO_DIVISION_MODE = 2,
    KS_UNF_PANEL_DIVISION_MODE_BUTT = 3
} KS_UNF_PANEL_DIVISION_MODE_E;

/* How a timing change is applied. */
typedef enum ksUNF_PANEL_TIMING_CHANGE_E KS_ENUM_U32 {
    KS_UNF_PANEL_TIMING_CHANGE_INSTANT = 0,
    KS_UNF_PANEL_TIMING_CHANGE_GRADUAL_VT = 1,
    KS_UNF_PANEL_TIMING_CHANGE_GRADUAL_HT = 2,
    KS_UNF_PANEL_TIMING_CHANGE_GRADUAL_CLK = 3,
    KS_UNF_PANEL_TIMING_CHANGE_BUTT = 4
} KS_UNF_PANEL_TIMING_CHANGE_E;

/* Board storage medium holding the panel index. */
typedef enum ksPANEL_INDEX_STORE_MEDIA_E KS_ENUM_U32 {
    KS_PANEL_INDEX_STORE_MEDIA_EEPROM = 0,
    KS_PANEL_INDEX_STORE_MEDIA_SPI_FLASH = 1,
    KS_PANEL_INDEX_STORE_MEDIA_NAND_FLASH = 2,
    KS_PANEL_INDEX_STORE_MEDIA_EMMC = 3,
    KS_PANEL_INDEX_STORE_MEDIA_BUTT = 4
} KS_PANEL_INDEX_STORE_MEDIA_E;

/* LVDS link routing: which pixel stream goes to each link. */
typedef struct ksUNF_PANEL_LVDS_LINKMAP_S {
    KS_UNF_PANEL_LVDS_LINKMAP_E enLink1;
    KS_UNF_PANEL_LVDS_LINKMAP_E enLink2;
    KS_UNF_PANEL_LVDS_LINKMAP_E enLink3;
    KS_UNF_PANEL_LVDS_LINKMAP_E enLink4;
} KS_UNF_PANEL_LVDS_LINKMAP_S;

/* One output timing. */
typedef struct ksUNF_PANEL_TIMING_S {
    KS_U32 u32PixelClk;
    KS_U32 u32Htotal;
    KS_U32 u32Vtotal;
    KS_U16 u16HsyncFP;
    KS_U16 u16VsyncFP;
} KS_UNF_PANEL_TIMING_S;

/* V-by-One interface attributes. */
typedef struct ksUNF_PANEL_VBOATTR_S {
    KS_BOOL bGroupSwap;
    KS_BOOL bLeftInternalSwap;
    KS_BOOL bRightInternalSwap;
    KS_BOOL bBit0AtHighBit;
    KS_UNF_PANEL_VBO_DATAMODE_E enDataMode;
    KS_UNF_PANEL_VBO_BYTE_NUM enVb1ByteNum;
    KS_UNF_PANEL_VBO_CURRENT_E enVb1Current;
    KS_UNF_PANEL_VBO_EMP_E enVb1Emphasis;
    KS_U32 u32Vb1SpreadRatio;
    KS_UNF_PANEL_VBO_SSFREQ_E enVb1SpreadFreq;
} KS_UNF_PANEL_VBOATTR_S;

/* LVDS interface attributes. */
typedef struct ksUNF_PANEL_LVDSATTR_S {
    KS_U32 u32LvdsSpreadRatio;
    KS_UNF_PANEL_LVDS_SSFREQ_E enLvdsSpreadFreq;
    KS_UNF_PANEL_LVDS_FMT_E enLvdsFmt;
    KS_UNF_PANEL_LVDS_LINKMAP_S stLvdsLinkMap;
    KS_UNF_PANEL_LVDS_CURRENT_E enLvdsDrvCurrent;
    KS_UNF_PANEL_LVDS_VOLTAGE_E enLvdsComVoltage;
} KS_UNF_PANEL_LVDSATTR_S;

/* The first 264 bytes are the same in both panel info layouts. */
#define KS_UNF_PANEL_INFO_COMMON_FIELDS                 \
    KS_CHAR chName[48];                                 \
    KS_U32 u32PanelWidth;                               \
    KS_U32 u32Panelheight;                              \
    KS_U32 u32FrameRateMax;                             \
    KS_BOOL bSupport48Hz;                               \
    KS_UNF_DISP_3D_E en3DType;                          \
    KS_UNF_PANEL_TYPE_E enResolutionType;               \
    KS_UNF_PANEL_INTFTYPE_E enIntfType;                 \
    KS_UNF_PANEL_LINKTYPE_E enPanelLinkType;            \
    KS_UNF_PANEL_BITWIDTH_E enPanelBitWidth;            \
    KS_UNF_PANEL_LVDSATTR_S stLvdsAttr;                 \
    KS_UNF_PANEL_VBOATTR_S stVboAttr;                   \
    KS_UNF_PANEL_TIMING_S stTiming60Hz;                 \
    KS_UNF_PANEL_TIMING_S stTiming50Hz;                 \
    KS_UNF_PANEL_TIMING_S stTiming48Hz;                 \
    KS_U16 u16HsyncWidth;                               \
    KS_U16 u16VsyncWidth;                               \
    KS_BOOL bHSyncOutput;                               \
    KS_BOOL bVSyncOutput;                               \
    KS_BOOL bHSyncNegative;                             \
    KS_BOOL bVSyncNegative;                             \
    KS_BOOL bDeNegative;                                \
    KS_BOOL bPwmPostive;                                \
    KS_U32 u32DimmingFreq60hz;                          \
    KS_U32 u32DimmingFreq50hz;                          \
    KS_U32 u32DimmingFreq48hz;                          \
    KS_U32 u32IntfSignalOnDelay;                        \
    KS_U32 u32BLOnDelay;                                \
    KS_U32 u32BLOffDelay;                               \
    KS_U32 u32IntfSignalOffDelay;

/* Panel info, older layout (324 bytes). */
typedef struct ksUNF_PANEL_INFO_S_R100 {
    KS_UNF_PANEL_INFO_COMMON_FIELDS
    KS_BOOL bFrmRateChangeBlack;
    KS_U32 u32MuteTime;
    KS_BOOL bLocalDimmingSupport;
    KS_U32 u32HorAreaNum;
    KS_U32 u32VerAreaNum;
    KS_UNF_PANEL_FLIP_TYPE_E enPanelFlipType;
    KS_UNF_PANEL_FIXRATE_TYPE_E_R100 enPanelFixrateType;
    KS_UNF_PANEL_TIMING_CHANGE_E enTimmingChangeType;
    KS_U32 u32ChangeStep;
    KS_UNF_PANEL_DIVISION_MODE_E enDivisionMode;
    KS_U32 u32Resove[5];
} KS_UNF_PANEL_INFO_S_R100;

/* Panel info, newer layout (364 bytes); local dimming moved to the
 * advanced info. */
typedef struct ksUNF_PANEL_INFO_S_R120 {
    KS_UNF_PANEL_INFO_COMMON_FIELDS
    KS_UNF_PANEL_FLIP_TYPE_E enPanelFlipType;
    KS_UNF_PANEL_FIXRATE_TYPE_E_R120 enPanelFixrateType;
    KS_UNF_PANEL_DIVISION_TYPE_E enDivisionType;
    KS_UNF_PANEL_TIMING_CHANGE_E enTimmingChangeType;
    KS_U32 u32ChangeStep;
    KS_U32 u32Resove[20];
} KS_UNF_PANEL_INFO_S_R120;

#undef KS_UNF_PANEL_INFO_COMMON_FIELDS

/* Timing-controller commands, GPIO settings and local-dimming protocol
 * framing (newer layout only, 216 bytes: the last byte is padding). */
typedef struct ksUNF_PANEL_ADVANCE_INFO_S {
    KS_BOOL bSendI2c;
    KS_BOOL bPullGpio;
    KS_BOOL bLocaldimingSupport;
    KS_U32 u32TconToI2cDelay;
    KS_U32 u32I2cItervalDelay;
    KS_U32 u32I2cCmdNum;
    KS_U32 u32I2cCmdLen;
    KS_U8 au8I2cData[120];
    KS_U32 u32GpioNum;
    KS_U8 au8GpioData[8][3];
    KS_U32 u32MatrixNum;
    KS_U8 au8LdmActNum[6][2];
    KS_BOOL bChecksumInHead;
    KS_U8 u8ChecksumPos;
    KS_U8 u8ProtHeadLength;
    KS_U8 u8ProtTailLength;
    KS_U8 au8ProtHeadData[8];
    KS_U8 au8ProtTailData[8];
} KS_UNF_PANEL_ADVANCE_INFO_S;

/* Header of a panel bin file. */
typedef struct ksPANEL_HEADER_S {
    KS_PANEL_INDEX_STORE_MEDIA_E enMedia;
    KS_U32 u32Addr;
    KS_U32 u32TotalNum;
    KS_U32 u32Index;
} KS_PANEL_HEADER_S;

/* One panel, older layout (476 bytes). */
typedef struct ksPANEL_DATA_BODY_S_R100 {
    KS_UNF_PANEL_INFO_S_R100 stPanelInfo;
    KS_CHAR cPqBinPath[100];
    KS_U32 u32BlPwm;
    KS_U32 u32BlPwmUserMin;
    KS_U32 u32BlPwmUserMax;
    KS_U32 u32Resove[10];
} KS_PANEL_DATA_BODY_S_R100;

/* One panel, newer layout (632 bytes). */
typedef struct ksPANEL_DATA_BODY_S_R120 {
    KS_UNF_PANEL_INFO_S_R120 stPanelInfo;
    KS_UNF_PANEL_ADVANCE_INFO_S stPanelAdvanceInfo;
    KS_U32 u32BlPwm;
    KS_U32 u32BlPwmUserMin;
    KS_U32 u32BlPwmUserMax;
    KS_U32 u32Resove[10];
} KS_PANEL_DATA_BODY_S_R120;

#endif /* KS_UNF_PANEL_H */
