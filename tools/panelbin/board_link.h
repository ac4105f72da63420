/* One board as the tool talks to it: where it is (a target), and a started
 * link to it that ends when it goes, with the wire tap and the waiting
 * indicator around it. */
#ifndef PANELBIN_BOARD_LINK_H
#define PANELBIN_BOARD_LINK_H

#include <memory>
#include <string>
#include <vector>

#include "panel/binfile/bin_file.h"
#include "tools/panelbin/failure.h"

class Progress;
class WireTap;

struct Target {
    bool serial = false;
    std::string given;   /* as the user wrote it: HOST:PORT, a device or serial:NUMBER */
    std::string where;   /* for messages: HOST:PORT, or the serial device */
    std::string address; /* what the link is started on: dotted IPv4:PORT, or the device */
    std::string origin;  /* where it was given: "--tcp", "FILE:LINE" */
};

/* --tcp HOST:PORT; a port above 32767 is a usage error naming the limit. A
 * host name is resolved to IPv4 here, once, before anything is sent; one
 * that does not resolve is a usage error. */
Target TcpTarget(const std::string& hostPort);
/* --serial DEVICE, or serial:NUMBER for the USB port of that serial number. */
Target SerialTarget(const std::string& device);
/* A file of targets, one a line: HOST:PORT, a device path or serial:NUMBER;
 * blank lines and lines starting with # are skipped. */
std::vector<Target> ReadTargets(const std::string& path);

/* A failure of the link, with the link's own text kept apart from the
 * plain words (empty when the link refused the request before sending). */
class LinkFailed : public Failure {
public:
    LinkFailed(const std::string& text, const std::string& linkText)
        : Failure(kExitBoard, text), m_linkText(linkText) {}
    const std::string& linkText() const { return m_linkText; }

private:
    std::string m_linkText;
};

class BoardLink {
public:
    /* Starts the link (the trace, if a path is given, records it). Throws
     * a Failure (exit 4) in plain words when it cannot start. */
    BoardLink(const Target& target, const std::string& tracePath);
    ~BoardLink();
    BoardLink(const BoardLink&) = delete;
    BoardLink& operator=(const BoardLink&) = delete;

    const std::string& name() const { return m_target.where; }

    /* The panel info at the start of `body` to the board; throws. */
    void Send(PanelGeneration generation, const KS_U8* body, const std::string& what) const;
    /* The board's panel info into a zeroed body; throws. */
    std::vector<KS_U8> Fetch(PanelGeneration generation, const std::string& what) const;

    /* A failure (exit 4) for what the link failed at, in plain words. */
    LinkFailed LinkFailure(const std::string& what) const;

private:
    Target m_target;
    std::unique_ptr<WireTap> m_tap;
    std::unique_ptr<Progress> m_progress;
};

#endif
