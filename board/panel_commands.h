/* The command values of the board panel exchange: the message header's
 * command and the panel request's sub-command. Plain C. */
#ifndef BOARD_PANEL_COMMANDS_H
#define BOARD_PANEL_COMMANDS_H

/* Header commands (the message header's 16-bit command). */
typedef enum ksMDBG_CMD {
    KS_MDBG_CMD_UART_SWITCH = 0x1000,
    KS_MDBG_CMD_ECHO_ACK = 0x1001,
    KS_MDBG_CMD_PQ = 0x6000,
    KS_MDBG_CMD_PANEL = 0x8000,
    KS_MDBG_CMD_VIR = 0x8001
} KS_MDBG_CMD;

/* Panel sub-commands: the first 32-bit word of a panel request's data. */
typedef enum ksPANEL_DBG_CMD {
    PANEL_CMD_READ_INFO = 0,
    PANEL_CMD_WRITE_INFO = 1,
    PANEL_CMD_BUTT = 2
} KS_PANEL_DBG_CMD;

#endif
