/* The wall every exported function stands behind. The library carries its
 * own private C++ runtime; an exception that left one of its C or JNI entry
 * points would meet a caller that cannot catch it (the JVM, a C program),
 * and std::terminate would take the whole host process down. */
#ifndef BASE_ENTRY_GUARD_H
#define BASE_ENTRY_GUARD_H

#include <utility>

/* Runs body() and returns its result, or `failure` (the entry point's
 * documented failure result: -1, 0, null or false) when it throws. */
template <typename R, typename Body>
R GuardedEntry(R failure, Body&& body) noexcept {
    try {
        return std::forward<Body>(body)();
    } catch (...) {
        return failure;
    }
}

/* For entry points without a result: a failure simply ends the call. */
template <typename Body>
void GuardedEntry(Body&& body) noexcept {
    try {
        std::forward<Body>(body)();
    } catch (...) {
    }
}

#endif
