// The floor of the whole-program benchmark: what it costs only to read a file the
// way the replay reads it, with read() in 1 KiB chunks, and to look at every byte
// once (a sum, printed so that no compiler can drop the loop).
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>

int main(int argc, char** argv) {
    if (argc != 2) {
        fprintf(stderr, "usage: kestrave_bytescan FILE\n");
        return 2;
    }
    const int file = open(argv[1], O_RDONLY);
    if (file < 0) {
        fprintf(stderr, "kestrave_bytescan: cannot open %s: %s\n", argv[1], strerror(errno));
        return 1;
    }
    unsigned char chunk[1024];  // the replay's chunk size
    uint64_t sum = 0;
    uint64_t bytes = 0;
    for (;;) {
        const ssize_t count = read(file, chunk, sizeof chunk);
        if (count < 0 && errno == EINTR) continue;
        if (count < 0) {
            fprintf(stderr, "kestrave_bytescan: cannot read %s: %s\n", argv[1], strerror(errno));
            close(file);
            return 1;
        }
        if (count == 0) break;
        for (ssize_t i = 0; i < count; ++i) sum += chunk[i];
        bytes += static_cast<uint64_t>(count);
    }
    close(file);
    printf("%llu bytes, sum %llu\n", static_cast<unsigned long long>(bytes), static_cast<unsigned long long>(sum));
    return 0;
}
