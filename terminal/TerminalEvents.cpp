#include "terminal/TerminalEvents.h"

#include <curses.h>
#include <poll.h>
#include <time.h>
#include <unistd.h>

#include <cwctype>

#include "platform/posix/PosixClock.h"
#include "platform/posix/services/PosixTickTimer.h"

static_assert(TerminalEvent::kEnterKey == KEY_ENTER && TerminalEvent::kBackTabKey == KEY_BTAB,
              "the key codes the events header spells out");

namespace {

constexpr int kCtrlC = 3;
constexpr int kEscape = 27;
// Readable input that never yields a key this many times in a row: the terminal is gone.
constexpr int kEmptyReadsToGiveUp = 100;

}  // namespace

TerminalEvents::TerminalEvents(std::function<void()> tick) : tick_(std::move(tick)), nextTickMs_(MonotonicMs() + 1000) {}

bool TerminalEvents::Stopping() const { return stop_ || PosixTickTimer::StopRequested(); }

TerminalEvent TerminalEvents::Next() {
    TerminalEvent event;
    for (;;) {
        if (Stopping()) {
            event.kind = TerminalEvent::Stop;
            return event;
        }
        int64_t now = MonotonicMs();
        if (now >= nextTickMs_) {
            // The deadline moves before the tick runs: a dialog that the tick opens runs
            // its own loop, which must see the next tick as a second away. A tick that ran
            // long is not caught up.
            nextTickMs_ = nextTickMs_ + 1000 > now ? nextTickMs_ + 1000 : now + 1000;
            tick_();
            event.kind = TerminalEvent::Tick;
            return event;
        }
        if (ReadKey(event)) return event;
        pollfd input{STDIN_FILENO, POLLIN, 0};
        int ready = poll(&input, 1, static_cast<int>(nextTickMs_ - now));
        if (ready > 0 && (input.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0) stop_ = true;
        if (ready > 0 && ++emptyReads_ > kEmptyReadsToGiveUp) stop_ = true;
    }
}

// Takes what ncurses has, without waiting: it may hold keys that poll cannot see.
bool TerminalEvents::ReadKey(TerminalEvent& event) {
    timeout(0);
    wint_t c = 0;
    int result = get_wch(&c);
    if (result == ERR) return false;
    emptyReads_ = 0;
    event.kind = TerminalEvent::Key;
    event.key = static_cast<int>(c);
    event.function = result == KEY_CODE_YES;
    if (event.function && event.key == KEY_RESIZE) {
        event.kind = TerminalEvent::Resize;
    } else if (event.function && event.key == KEY_MOUSE) {
        MEVENT mouse{};
        if (getmouse(&mouse) != OK) return false;
        event.kind = TerminalEvent::Mouse;
        event.y = mouse.y;
        event.x = mouse.x;
        event.doubleClick = (mouse.bstate & BUTTON1_DOUBLE_CLICKED) != 0;
        event.click = (mouse.bstate & BUTTON1_CLICKED) != 0;
        event.wheel = (mouse.bstate & BUTTON4_PRESSED) != 0 ? -1 : (mouse.bstate & BUTTON5_PRESSED) != 0 ? 1 : 0;
    } else if (!event.function && event.key == kCtrlC) {
        // The terminal is raw, so Ctrl+C is a key here; it stops like SIGINT would.
        stop_ = true;
        event.kind = TerminalEvent::Stop;
    } else if (!event.function && event.key == kEscape) {
        // Alt+letter arrives as ESC and the letter together; a lone ESC is the Esc key.
        wint_t next = 0;
        int more = get_wch(&next);
        if (more == OK && std::iswprint(static_cast<wint_t>(next))) {
            event.alt = true;
            event.key = static_cast<int>(next);
        } else if (more == OK) {
            unget_wch(next);
        } else if (more == KEY_CODE_YES) {
            ungetch(static_cast<int>(next));
        }
    }
    return true;
}
