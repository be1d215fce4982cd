/* What tarnex95 hands to each cipher library so that the library can report its own failures in the
 * program's language. Plain C: the libraries are loaded by name and called through C entry points. */
#ifndef TARNEX_HOST_H
#define TARNEX_HOST_H

#ifdef __cplusplus
extern "C" {
#endif

struct TarnexHost {
    /* 1 = English messages, 0 = German; the program updates it on every language switch. */
    char english;
    void* context;
    /* Shows one failure to the user; returns when the user has read it. */
    void (*report)(void* context, const char* caption, const char* text);
};

#ifdef __cplusplus
}
#endif

#endif
