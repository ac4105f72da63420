package com.kestrel.vimora.model;

/** Header of a panel bin file. */
public class HeaderParam {
    public int enMedia;
    public int u32Addr;
    public int u32TotalNum;
    public int u32Index;
}
