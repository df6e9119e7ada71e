#pragma once
#include <signal.h>

#include <cstddef>
#include <cstdint>
#include <string>

// The serial line of the made-up receiver: a pseudo-terminal whose slave end a
// logger opens like any tty (kestrave log --device PATH). It acts like a UART that
// may have nobody listening: sending never blocks, bytes that find the line full
// are lost, bytes sent while nobody has the line open go nowhere, and a reader that
// opens the line finds no stale bytes from an earlier reader.
//
// The receiver keeps the slave end open itself, in raw mode. So the master never
// sees a hang-up between readers (poll would report it for ever and reads would
// fail), the bytes pass unchanged from the first one on (no CR to LF, no echo back
// into the master), and the bytes a reader has not taken yet can be counted. Other
// processes opening and closing the slave are followed with inotify.
class PtyReceiver {
public:
    PtyReceiver() = default;
    ~PtyReceiver();
    PtyReceiver(const PtyReceiver&) = delete;
    PtyReceiver& operator=(const PtyReceiver&) = delete;

    // Creates the pseudo-terminal; false with a sentence that says what happened and
    // what to do.
    bool Open(std::string& error);
    // The slave end, such as /dev/pts/3.
    const std::string& Path() const { return path_; }

    // Waits until MonotonicNs() reaches untilNs, a signal comes or the line has
    // news, and deals with it: throws away what the other side wrote, counts readers
    // coming and going. waitMask, when not null, is the signal mask during the wait,
    // so that signals kept blocked otherwise end it without a race.
    void Serve(int64_t untilNs, const sigset_t* waitMask);

    // Whether another process has the line open; assumed when opens cannot be followed.
    bool HasReader() const { return notify_ < 0 || readers_ > 0; }
    // Puts as many of the bytes on the line as fit and returns that count; 0 when
    // nobody has the line open.
    size_t Send(const char* data, size_t size);
    // Bytes waiting for the reader to take them. Bytes just sent may not count yet:
    // the kernel moves them to the reader's queue in the background.
    int Unread() const;

private:
    void DiscardInput();
    void FollowReaders();

    int master_ = -1;
    int slave_ = -1;
    int notify_ = -1;  // inotify on the slave; -1 when opens cannot be followed
    int readers_ = 0;
    std::string path_;
};
