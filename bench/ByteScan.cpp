// The floor of the whole-program benchmark: what it costs only to read a file, with
// read() in chunks of a given size (64 KiB unless told, as the replay's file reads
// ask of the system), and to look at every byte once (a sum, printed so that no
// compiler can drop the loop).
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {
constexpr long kMaxChunk = 64 * 1024;
unsigned char chunk[kMaxChunk];
}  // namespace

int main(int argc, char** argv) {
    char* end = nullptr;
    const long size = argc == 3 ? strtol(argv[2], &end, 10) : kMaxChunk;
    if ((argc != 2 && argc != 3) || (argc == 3 && (*end != '\0' || size < 1 || size > kMaxChunk))) {
        fprintf(stderr, "usage: kestrave_bytescan FILE [CHUNK_BYTES, 1 to %ld]\n", kMaxChunk);
        return 2;
    }
    const int file = open(argv[1], O_RDONLY);
    if (file < 0) {
        fprintf(stderr, "kestrave_bytescan: cannot open %s: %s\n", argv[1], strerror(errno));
        return 1;
    }
    uint64_t sum = 0;
    uint64_t bytes = 0;
    for (;;) {
        const ssize_t count = read(file, chunk, static_cast<size_t>(size));
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
