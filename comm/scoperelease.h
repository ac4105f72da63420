/* A guard that runs a clean-up action when the scope that owns it ends,
 * unless it was dismissed: frees frame buffers and closes half-made
 * connections on every early return. */
#ifndef SCOPERELEASE_H
#define SCOPERELEASE_H

#include <functional>
#include <utility>

class ScopeRelease {
public:
    explicit ScopeRelease(std::function<void()> release)
        : m_release(std::move(release)), m_dismissed(false) {}
    ~ScopeRelease() {
        if (!m_dismissed) m_release();
    }
    ScopeRelease(const ScopeRelease&) = delete;
    ScopeRelease& operator=(const ScopeRelease&) = delete;

    /* The resource has found its owner: keep it. */
    void Dismiss() { m_dismissed = true; }

private:
    std::function<void()> m_release;
    bool m_dismissed;
};

#endif
