#pragma once
#include <cstddef>
#include <cstdint>

#include "platform/FileSystem.h"

// The end of a day file that must be a whole document at every instant (the GPX day):
// it always closes with a fixed trailer, and a flush writes its new parts over the
// trailer, the trailer again behind them, in one write. What a crash or a power cut
// leaves (a torn tail, a tail of NUL bytes) is found here and cut back to the last
// whole part.
class TrailedEnd {
public:
    struct Form {
        const char* signature;   // how every such file of ours begins
        const char* trailer;     // how it always ends
        const char* partEnd;     // ends each whole part: "</trkpt>\r\n"
        const char* groupStart;  // opens a group of parts: "<trkseg>\r\n"
    };

    enum class Found {
        AtTrailer,  // the file ends with its trailer; the new parts go where it starts
        CutBack,    // a torn tail: the new parts go behind the last whole part or group start
        Fresh,      // nothing whole behind a torn start of ours: the file begins again
        Foreign,    // not a file of ours: it is left as it is
        Unreadable,
    };

    struct Place {
        uint64_t position = 0;    // where the new parts go
        bool emptyGroup = false;  // a group start comes right before it
    };

    // Looks at the file of size bytes (more than 0) from its start and its end; the
    // file position afterwards is undefined.
    static Found Find(FileSystem& files, FileHandle file, uint64_t size, const Form& form, Place* place);

private:
    static Found FindBack(FileSystem& files, FileHandle file, uint64_t size, const Form& form, Place* place);
    static bool ReadAt(FileSystem& files, FileHandle file, uint64_t size, uint64_t at, char* out, uint32_t count);
};
